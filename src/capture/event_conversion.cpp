#include "capture/event_conversion.h"

namespace vyn::profiling {

void convertEvents(std::list<std::string>&, const EventEntryList*, std::vector<ProfileEvent>&) {}
void convertEventValue(std::list<std::string>&, const fb::EventEntry&, EventValue&,
                       std::vector<std::uint8_t>&) {}

}  // namespace vyn::profiling
