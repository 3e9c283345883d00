// One list of kinds per element family. Each family names its kinds once, in
// an X-macro beside its tag enum: X(tag, record class, text in absolute
// names). The enum, its texts, the record class of each tag, the model's
// arenas, the Taken* guards and the dispatch from a tag to its record class
// all follow from that list, so a new kind is one line there plus its class.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>
#include <utility>

namespace vorlent {

// Helpers to expand a family's list: the enumerators, the count of tags, the
// tag names as debug texts and the texts of absolute names. A family may add
// columns of its own after the first three (the component kinds do).
#define VORLENT_KIND_TAG(tag, record, text, ...) tag,
#define VORLENT_KIND_ONE(tag, record, text, ...) +1
#define VORLENT_KIND_DEBUG(tag, record, text, ...) #tag,
#define VORLENT_KIND_TEXT(tag, record, text, ...) text,
// Declares a family's tag enum from its list, and its count of tags.
#define VORLENT_KIND_ENUM(Enum, LIST)                     \
    enum class Enum : uint8_t { LIST(VORLENT_KIND_TAG) }; \
    template <>                                           \
    inline constexpr size_t KIND_COUNT<Enum> = 0 LIST(VORLENT_KIND_ONE);
// The record class of one tag, expanded in the family's kinds header.
#define VORLENT_KIND_RECORD(Enum, tag, record) \
    template <>                                \
    struct KindRecord<Enum::tag> {             \
        using type = record;                   \
    };

template <class... Ts>
struct TypeList {
    static constexpr size_t size = sizeof...(Ts);
    // f(std::type_identity<T>{}) for each T, in order.
    template <class F>
    static void for_each(F&& f) {
        (f(std::type_identity<Ts>{}), ...);
    }
    // Target<Prefix..., Ts...>
    template <template <class...> class Target, class... Prefix>
    using apply = Target<Prefix..., Ts...>;
    // TypeList<Map<Ts>...>
    template <template <class> class Map>
    using map = TypeList<Map<Ts>...>;
};

namespace kind_detail {
template <class... Lists>
struct Concat {
    using type = TypeList<>;
};
template <class... A>
struct Concat<TypeList<A...>> {
    using type = TypeList<A...>;
};
template <class... A, class... B, class... Rest>
struct Concat<TypeList<A...>, TypeList<B...>, Rest...> : Concat<TypeList<A..., B...>, Rest...> {};
}  // namespace kind_detail

template <class... Lists>
using ConcatLists = typename kind_detail::Concat<Lists...>::type;

// The record class of the kind a tag names; `void` where the tag names no
// element (a family's kinds header declares them).
template <auto Tag>
struct KindRecord;
template <auto Tag>
using RecordOf = typename KindRecord<Tag>::type;

// The number of tags of a family's enum (declared beside the enum).
template <class Enum>
inline constexpr size_t KIND_COUNT = 0;

namespace kind_detail {
template <class Enum, size_t I>
using RecordListAt =
    std::conditional_t<std::is_void_v<RecordOf<Enum(I)>>, TypeList<>, TypeList<RecordOf<Enum(I)>>>;
template <class Enum, size_t... I>
auto records(std::index_sequence<I...>) -> ConcatLists<RecordListAt<Enum, I>...>;

template <class List>
struct Front;
template <class T, class... Ts>
struct Front<TypeList<T, Ts...>> {
    using type = T;
};

template <class R, auto Tag, class F, class Otherwise>
R visit_one(F& f, Otherwise& otherwise) {
    if constexpr (std::is_void_v<RecordOf<Tag>>)
        return otherwise();
    else
        return f(std::type_identity<RecordOf<Tag>>{});
}

template <class R, class Enum, class F, class Otherwise, size_t... I>
R visit(Enum tag, F& f, Otherwise& otherwise, std::index_sequence<I...>) {
    static constexpr R (*table[])(F&, Otherwise&) = {&visit_one<R, Enum(I), F, Otherwise>...};
    const size_t i = size_t(tag);
    if (i >= sizeof...(I)) return otherwise();
    return table[i](f, otherwise);
}
}  // namespace kind_detail

// The record classes of a family, in tag order, tags without one left out.
template <class Enum>
using KindRecords =
    decltype(kind_detail::records<Enum>(std::make_index_sequence<KIND_COUNT<Enum>>{}));

// Calls `f(std::type_identity<Record>{})` with the record class of the kind
// `tag` names and returns what it returns. A tag with no record, or outside
// the family, goes to `otherwise()`, which returns the same or stops.
template <class Enum, class F, class Otherwise>
decltype(auto) visit_kind(Enum tag, F&& f, Otherwise&& otherwise) {
    using First = typename kind_detail::Front<KindRecords<Enum>>::type;
    using R = decltype(f(std::type_identity<First>{}));
    return kind_detail::visit<R>(tag, f, otherwise, std::make_index_sequence<KIND_COUNT<Enum>>{});
}

}  // namespace vorlent
