// The words and figures of a comparison's rows, shared by its text, JSON and
// HTML forms: the unit times are written in, changes and shifts in percent,
// p-values.
#ifndef VYN_ANALYSIS_DIFF_ROW_TEXT_H_
#define VYN_ANALYSIS_DIFF_ROW_TEXT_H_

#include <optional>
#include <string>
#include <string_view>

#include "stats/diff_compare.h"
#include "stats/figure_text.h"

namespace vyn::tools {

// Times are written in the unit that reads best for the typical execution time.
TimeUnit diffTimeUnit(const ProfileDiff& diff, TimeUnit wanted);
bool isTimeRow(const DiffRow& row);
// "+12.3%", "-4.0%", "0.0%"; "+inf" for a change from a median of 0; "-" when
// it cannot be told.
std::string changeText(double change);
// The shift in percent of the base median with its interval:
// "+8.6% [+0.3%, +16.9%]", or "+1.2% [unbounded]" when the samples are too few
// to bound it; "-" for a row of one log.
std::string shiftText(const DiffRow& row);
// A p-value as a figure; one too small to tell from 0 in a double (the normal
// approximation's tail underflows for large, well-separated samples) is
// "<1e-300", never "0"; "-" for none.
std::string pValueText(std::optional<double> p);
// The unit a row's figures are written in, and a figure in it.
std::string_view rowUnitName(const DiffRow& row, TimeUnit timeUnit);
double inRowUnit(const DiffRow& row, double value, TimeUnit timeUnit);

}  // namespace vyn::tools

#endif  // VYN_ANALYSIS_DIFF_ROW_TEXT_H_
