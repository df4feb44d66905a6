#pragma once

#include <array>
#include <cstdint>

#include <QFrame>

class QLineEdit;

// An IPv4 address in four fields, a.b.c.d with a in bits 31-24. Each field takes up to three
// digits and may be limited to a range; a field whose range holds a single value is fixed.
// '.' and a full field move on to the next field, Backspace in an empty one goes back.
class CIpAddressCtrl : public QFrame {
    Q_OBJECT

public:
    static constexpr int kFields = 4;

    explicit CIpAddressCtrl(QWidget* parent);
    ~CIpAddressCtrl() override;

    void SetAddress(uint32_t address);
    // The number of fields that hold a value; blank fields give 0 in address.
    int GetAddress(uint32_t& address) const;
    void ClearAddress();
    // field 0 is a (bits 31-24) ... field 3 is d (bits 7-0).
    void SetRange(int field, int low, int high);
    int RangeLow(int field) const { return ranges_[static_cast<size_t>(field)].low; }
    int RangeHigh(int field) const { return ranges_[static_cast<size_t>(field)].high; }
    // Whether every field of address lies in its range.
    bool InRange(uint32_t address) const;
    // The first field holding a value outside its range, or -1.
    int FieldOutOfRange() const;
    void SetFieldFocus(int field);
    QLineEdit* Field(int field) const { return fields_[static_cast<size_t>(field)]; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct Range {
        int low = 0;
        int high = 255;
    };

    int FieldValue(int field) const; // -1 when blank
    void MoveTo(int field, bool selectAll);
    void UpdateBackground();

    std::array<QLineEdit*, kFields> fields_{};
    std::array<Range, kFields> ranges_{};
};
