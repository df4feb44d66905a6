#pragma once

#include <QString>

// The program's change history as the revision dialog shows it: newest version first, each
// under a centred "<< Marlinex x.y.z.w >>" line, ending with "- FIRST RELEASE!". Lines are
// separated by '\n'; there is no newline after the last one.
QString RevisionHistoryText();

// Headers are centred in this many columns, and no line is longer.
constexpr int kRevisionHistoryColumns = 88;
