#pragma once

namespace velmora {

// Local date-times in the OLE Automation form the host uses: days since
// 30 December 1899, the fraction being the time of day.
using TDateTime = double;

struct DateTimeParts {
    int Year = 1899;
    int Month = 12;
    int Day = 30;
    int Hour = 0;
    int Minute = 0;
    int Second = 0;
    int Millisecond = 0;
};

// Dates from year 1 to 9999; the fraction of a negative date still counts
// forward from midnight, as in the OLE form.
TDateTime EncodeDateTime(const DateTimeParts& parts);
DateTimeParts DecodeDateTime(TDateTime value);

}  // namespace velmora
