// Dates and times as the windowing library keeps them.
#pragma once

// Days since 30 December 1899; the fraction is the time of day.
using TDateTime = double;
