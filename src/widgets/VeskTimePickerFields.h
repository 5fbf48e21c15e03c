#pragma once

// What both halves of VeskTimePicker know of its fields: the three time
// fields (minute, second, tenths) and the tag after them.

#include <QStringView>

namespace VeskTimePickerFields {

struct FieldRange
{
    int maximum;
    int step;
};

// Minute, second and tenths; the tenths move two at a time, so only even
// values are ever stored.
inline constexpr FieldRange kRanges[3] = {{13, 1}, {59, 1}, {8, 2}};

inline constexpr QStringView kPropNames[3] = {u"Minute", u"Second", u"Frame"};

inline constexpr int kTagSlot = 3;
inline constexpr int kMaxTagLength = 2;

inline bool isTimeField(int field)
{
    return field >= 0 && field < kTagSlot;
}

} // namespace VeskTimePickerFields
