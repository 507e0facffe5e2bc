// The version this reader and its tools report as their own.
#ifndef VYN_VERSION_VIEWER_VERSION_H_
#define VYN_VERSION_VIEWER_VERSION_H_

namespace vyn::profiling {

inline constexpr const char* kViewerVersion = "v2.51.0.260929181845";

}  // namespace vyn::profiling

#endif  // VYN_VERSION_VIEWER_VERSION_H_
