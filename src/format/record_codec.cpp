#include "format/record_codec.h"

#include <string>
#include <type_traits>

#include "format/record_fields.h"

namespace vyn::profiling {
namespace {

using flatbuffers::FlatBufferBuilder;
using flatbuffers::Offset;
using flatbuffers::uoffset_t;
using flatbuffers::voffset_t;

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
  Fields<Model>::each(model,
                      [&](voffset_t, const char*, const auto& value) { children.push_back(encodeChild(fbb, value)); });
  const uoffset_t start = fbb.StartTable();
  std::size_t child = 0;
  Fields<Model>::each(model, [&](voffset_t field, const char*, const auto& value) {
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
  Fields<Model>::each(model, [&](voffset_t field, const char*, auto& value) { decodeField(table, field, value); });
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
