#include "plugin/frame/TimeBase.h"

#include <cstring>

#include "plugin/frame/FieldAppender.h"
#include "plugin/frame/NumberText.h"

namespace {

// Truncates toward zero like the processor's conversion: a value outside the 64-bit
// range (or not a number) becomes the "integer indefinite" 0x8000000000000000.
int64_t TruncateToInt64(double value)
{
    constexpr double kLimit = 9223372036854775808.0; // 2^63
    if (!(value >= -kLimit && value < kLimit))
        return INT64_MIN;
    return static_cast<int64_t>(value);
}

void AppendDistanceField(FieldAppender& appender, int32_t fieldId, uint64_t sincePrevious,
                         uint64_t sinceFirst)
{
    char text[48];
    char* p = text;
    *p++ = '+';
    p = WriteDecimal(p, sincePrevious);
    *p++ = '\n';
    *p++ = '=';
    p = WriteDecimal(p, sinceFirst);
    appender.AppendText(fieldId, std::string_view(text, static_cast<size_t>(p - text)));
}

} // namespace

TimeBase::Step TimeBase::Advance(uint32_t packetNumber, uint64_t ticks,
                                 uint32_t ticksPerMicrosecond, double clockMultiplier)
{
    uint64_t t = ticks / (ticksPerMicrosecond != 0 ? ticksPerMicrosecond : 1);
    t = static_cast<uint64_t>(
        TruncateToInt64(static_cast<double>(static_cast<int64_t>(t)) * clockMultiplier));
    if (packetNumber == 1)
        first_ = previous_ = t;
    if (previous_ > t) {
        // The clock went back.
        if (t >= first_) {
            previous_ = first_;
        } else {
            first_ = t;
            previous_ = 0;
        }
    }
    Step step{t, t - previous_, t - first_};
    previous_ = t;
    return step;
}

TimeBase& ThePluginTimeBase()
{
    static TimeBase timeBase;
    return timeBase;
}

void AppendTimeFields(FieldAppender& appender, const TimeBase::Step& step)
{
    AppendDistanceField(appender, 1, step.sincePrevious, step.sinceFirst);
    AppendDistanceField(appender, 2, step.sincePrevious / 1000, step.sinceFirst / 1000);
}
