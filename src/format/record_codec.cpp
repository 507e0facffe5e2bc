#include "format/record_codec.h"

#include <string>
#include <type_traits>

#include "format/record_format.h"

namespace vyn::profiling {
namespace {

using flatbuffers::FlatBufferBuilder;
using flatbuffers::Offset;
using flatbuffers::uoffset_t;
using flatbuffers::voffset_t;

// Each model's fields (record_model.h) as the schema's fields of its table:
// visit(field, member) for every one, in schema order.
template <typename Model>
struct Fields;

#define VYN_VISIT_FIELD(type, member, field) visit(Table::VT_##field, model.member);
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

template <typename T>
struct IsVector : std::false_type {};
template <typename T>
struct IsVector<std::vector<T>> : std::true_type {};

template <typename Model>
uoffset_t encodeTable(FlatBufferBuilder& fbb, const Model& model);

// What a field refers to, built before its table starts: a string, a vector
// or a child table; 0 for a scalar or an absent field.
template <typename T>
uoffset_t encodeChild(FlatBufferBuilder& fbb, const std::optional<T>& value) {
  if constexpr (std::is_arithmetic_v<T>) {
    return 0;
  } else {
    if (!value) return 0;
    if constexpr (std::is_same_v<T, std::string>) {
      return fbb.CreateString(value->data(), value->size()).o;
    } else if constexpr (std::is_same_v<T, std::vector<std::uint8_t>>) {
      return fbb.CreateVector(*value).o;
    } else if constexpr (IsVector<T>::value) {
      std::vector<Offset<void>> offsets;
      offsets.reserve(value->size());
      for (const auto& table : *value) offsets.emplace_back(encodeTable(fbb, table));
      return fbb.CreateVector(offsets).o;
    } else {
      return encodeTable(fbb, *value);
    }
  }
}

// Present scalars are always written, whatever their value; a reference is
// written only when the model has it.
template <typename Model>
uoffset_t encodeTable(FlatBufferBuilder& fbb, const Model& model) {
  std::vector<uoffset_t> children;
  Fields<Model>::each(model, [&](voffset_t, const auto& value) { children.push_back(encodeChild(fbb, value)); });
  const uoffset_t start = fbb.StartTable();
  std::size_t child = 0;
  Fields<Model>::each(model, [&](voffset_t field, const auto& value) {
    using T = typename std::decay_t<decltype(value)>::value_type;
    if constexpr (std::is_arithmetic_v<T>) {
      if (value) fbb.AddElement<T>(field, *value);
    } else if (value) {
      fbb.AddOffset(field, Offset<void>(children[child]));
    }
    ++child;
  });
  return fbb.EndTable(start);
}

// Reading side: every field is read only when the table's vtable has it.
template <typename Model>
Model decodeTable(const flatbuffers::Table& table);

template <typename T>
void decodeField(const flatbuffers::Table& table, voffset_t field, std::optional<T>& value) {
  if constexpr (std::is_arithmetic_v<T>) {
    if (table.CheckField(field)) value = table.GetField<T>(field, T{});
  } else if constexpr (std::is_same_v<T, std::string>) {
    if (const auto* text = table.GetPointer<const flatbuffers::String*>(field))
      value.emplace(text->data(), text->size());
  } else if constexpr (std::is_same_v<T, std::vector<std::uint8_t>>) {
    if (const auto* bytes = table.GetPointer<const flatbuffers::Vector<std::uint8_t>*>(field)) {
      value.emplace(bytes->begin(), bytes->end());
    }
  } else if constexpr (IsVector<T>::value) {
    if (const auto* tables = table.GetPointer<const flatbuffers::Vector<Offset<flatbuffers::Table>>*>(field)) {
      value.emplace();
      value->reserve(tables->size());
      for (const flatbuffers::Table* entry : *tables) value->push_back(decodeTable<typename T::value_type>(*entry));
    }
  } else if (const auto* child = table.GetPointer<const flatbuffers::Table*>(field)) {
    value = decodeTable<T>(*child);
  }
}

template <typename Model>
Model decodeTable(const flatbuffers::Table& table) {
  Model model;
  Fields<Model>::each(model, [&](voffset_t field, auto& value) { decodeField(table, field, value); });
  return model;
}

}  // namespace

// Written field by field rather than through the generated builders, which
// would refuse a message without its required tables; such logs are needed to
// test how readers cope with them.
void encodeRecord(const RecordModel& record, FlatBufferBuilder& builder) {
  builder.Clear();
  builder.Finish(Offset<fb::ProfileLogRecord>(encodeTable(builder, record)));
}

RecordModel decodeRecord(const std::uint8_t* bytes, std::size_t /*size*/) {
  return decodeTable<RecordModel>(*flatbuffers::GetRoot<flatbuffers::Table>(bytes));
}

}  // namespace vyn::profiling
