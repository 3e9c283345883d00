// An element taken out of its arena and handed out through a Verilog writer
// interface: a variant of per-kind adapters, each owning the Taken<T> guard
// of its record. The adapters live in the backend, so the model's records
// stay free of backend code; while an adapter is alive its record's slot
// holds the kind's default element, and a fatal error unwinding through it
// puts the record back.
#pragma once

#include <string>
#include <utility>
#include <variant>

#include "common/arena_base.hpp"

namespace vorlent {

// Holds the taken record of kind T for an adapter implementing `Base`, and
// puts it back for the adapter's replace_back_into_arena_vb.
template <class Base, class T>
class TakenVbAdapter : public Base {
public:
    using Record = T;

    explicit TakenVbAdapter(Taken<T>&& taken) : taken_(std::move(taken)) {}
    TakenVbAdapter(TakenVbAdapter&&) = default;

    void replace_back_into_arena_vb() final { taken_.put_back(); }

protected:
    T& rec() { return *taken_; }
    const T& rec() const { return *taken_; }

private:
    Taken<T> taken_;
};

// A component's adapter: its Verilog name is its absolute name unless the
// kind says otherwise (an IO wire with a port name).
template <class Base, class T>
class HcpVbAdapter : public TakenVbAdapter<Base, T> {
public:
    using TakenVbAdapter<Base, T>::TakenVbAdapter;

    std::string gen_var_name_vb() const override {
        return this->rec().ident.ident_base.get_abs_name();
    }
};

// The adapter that writes a record of kind T; each adapter declares itself
// beside its class, so the kinds' lists give the backend's dispatch.
template <class T>
struct VbEmitter;
template <class T>
using VbEmitterOf = typename VbEmitter<T>::type;

template <class Base, class... Adapters>
class TakenVbAny {
public:
    // Builds the adapter of kind A in place around a taken record.
    template <class A, class T>
    TakenVbAny(std::in_place_type_t<A> kind, Taken<T>&& taken) : v_(kind, std::move(taken)) {}

    // Takes the record of kind T out of the model and builds its adapter around it.
    template <class T, class Model, class Ident>
    static TakenVbAny take(Model& model, const Ident& ident) {
        return {std::in_place_type<VbEmitterOf<T>>, model.template take<T>(ident)};
    }

    Base* operator->() { return &**this; }
    Base& operator*() {
        return std::visit([](auto& a) -> Base& { return a; }, v_);
    }

    // The adapter of one kind, or null when the element is of another kind.
    template <class A>
    A* get_if() {
        return std::get_if<A>(&v_);
    }

    // replace_back_into_arena_vb of the adapter held.
    void put_back() { (**this).replace_back_into_arena_vb(); }

private:
    std::variant<Adapters...> v_;
};

}  // namespace vorlent
