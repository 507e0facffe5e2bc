// The fields of each table of the record model (record_model.h) as the
// schema's fields of its generated table, for code that walks a record model
// field by field: the codec, and the log's JSON form.
#ifndef VYN_FORMAT_RECORD_FIELDS_H_
#define VYN_FORMAT_RECORD_FIELDS_H_

#include <type_traits>
#include <vector>

#include "format/record_format.h"
#include "format/record_model.h"

namespace vyn::profiling {

// Each model's fields (record_model.h) as the schema's fields of its table:
// visit(field, name, member) for every one, in schema order, with the
// member's name (camelCase, as the schema spells the field).
template <typename Model>
struct Fields;

#define VYN_VISIT_FIELD(type, member, field) visit(Table::VT_##field, #member, model.member);
#define VYN_FIELDS_OF(Model, GeneratedTable, FIELDS) \
  template <>                                        \
  struct Fields<Model> {                             \
    template <typename M, typename Visit>            \
    static void each(M& model, Visit&& visit) {      \
      using Table = GeneratedTable;                  \
      FIELDS(VYN_VISIT_FIELD)                        \
    }                                                \
  };
VYN_FIELDS_OF(EventModel, fb::EventEntry, VYN_EVENT_FIELDS)
VYN_FIELDS_OF(TimestampModel, fb::MessageTimestamp, VYN_TIMESTAMP_FIELDS)
VYN_FIELDS_OF(TimingModel, fb::MethodTiming, VYN_TIMING_FIELDS)
VYN_FIELDS_OF(MessageModel, fb::MethodMessage, VYN_MESSAGE_FIELDS)
VYN_FIELDS_OF(HeaderVersionModel, fb::LogHeaderVersion, VYN_HEADER_VERSION_FIELDS)
VYN_FIELDS_OF(HeaderModel, fb::LogHeader, VYN_HEADER_FIELDS)
VYN_FIELDS_OF(RecordModel, fb::ProfileLogRecord, VYN_RECORD_FIELDS)
#undef VYN_FIELDS_OF
#undef VYN_VISIT_FIELD

// Whether a field holds a list (of bytes, events or messages).
template <typename T>
struct IsVector : std::false_type {};
template <typename T>
struct IsVector<std::vector<T>> : std::true_type {};

}  // namespace vyn::profiling

#endif  // VYN_FORMAT_RECORD_FIELDS_H_
