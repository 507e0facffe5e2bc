// Small logs in the JSON form that `vyn-profile-log pack` reads: executions of a
// graph with whole-number events, nested as given. Names go in as they are, so
// none may hold a quote or a backslash.
#ifndef VYN_TESTS_TOOLS_LOG_JSON_TEXT_H_
#define VYN_TESTS_TOOLS_LOG_JSON_TEXT_H_

#include <string>
#include <vector>

namespace vyn::testing {

// An execution of graph from start to start + duration, with its events.
inline std::string execute(const std::string& graph, int start, int duration, const std::string& events = "") {
  return R"({"timestamp": )" + std::to_string(start) + R"(, "methodType": "Execute", "name": ")" + graph +
         R"(", "timing": {"start": )" + std::to_string(start) + R"(, "end": )" + std::to_string(start + duration) +
         R"(}, "events": [)" + events + "]}";
}

// An event of a whole number, with its sub-events.
inline std::string event(const std::string& name, int value, const std::string& subEvents = "",
                         const std::string& unit = "Microseconds", int identifier = 3001) {
  return R"({"name": ")" + name + R"(", "identifier": )" + std::to_string(identifier) +
         R"(, "valueKind": "UInt64", "unsignedValue": )" + std::to_string(value) + R"(, "unit": ")" + unit + "\"" +
         (subEvents.empty() ? "" : R"(, "subEvents": [)" + subEvents + "]") + "}";
}

// One record holding the messages, in their order.
inline std::string logOf(const std::vector<std::string>& messages) {
  std::string json;
  for (const std::string& message : messages) json += (json.empty() ? "" : ",") + message;
  return R"([{"messages": [)" + json + "]}]";
}

}  // namespace vyn::testing

#endif  // VYN_TESTS_TOOLS_LOG_JSON_TEXT_H_
