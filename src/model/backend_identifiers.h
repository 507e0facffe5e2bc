// Event identifiers of the Xtu back-end that change how its events are shown.
// The back-end documents their layout, not their meaning, so the names say how
// each one is printed.
#ifndef VYN_MODEL_BACKEND_IDENTIFIERS_H_
#define VYN_MODEL_BACKEND_IDENTIFIERS_H_

#include <cstdint>
#include <string_view>

namespace vyn::profiling::backend {

// A top-level event of this identifier opens the burst block of its list.
inline constexpr std::uint32_t kBurst = 2004;

// Events below a burst event.
inline constexpr std::uint32_t kBurstMarker = 2005;      // shown as the word "Burst"
inline constexpr std::uint32_t kBurstBlankValue = 2009;  // value left blank
inline constexpr std::uint32_t kBurstNameOnly = 2018;    // name alone
// Value shown without a unit.
inline constexpr bool isUnitlessBurstValue(std::uint32_t identifier) {
  return identifier == 2010 || identifier == 2017;
}

// The value's low byte is a set of hardware units.
inline constexpr std::uint32_t kHardwareUnits = 5004;

// Hardware units named by the bits of mask: "ZEL", "ZOR", "DMA", joined by ", ";
// other bits are ignored.
inline std::string_view hardwareUnitNames(std::uint8_t mask) {
  static constexpr std::string_view kUnits[] = {"",    "ZEL",      "ZOR",      "ZEL, ZOR",
                                                "DMA", "ZEL, DMA", "ZOR, DMA", "ZEL, ZOR, DMA"};
  return kUnits[mask & 7u];
}

// Shown by name only, without a value.
inline constexpr bool isNameOnly(std::uint32_t identifier) { return identifier == 5005 || identifier == 5006; }

// Top-level events kept out of the back-end data dump, with everything below them.
inline constexpr bool isHiddenFromDump(std::uint32_t identifier) { return identifier >= 9001 && identifier <= 9008; }

}  // namespace vyn::profiling::backend

#endif  // VYN_MODEL_BACKEND_IDENTIFIERS_H_
