// A value or the reason there is none. The engine reports every failure this
// way; only the layer that talks to the user turns an error code into words.
#pragma once

#include <utility>
#include <variant>

namespace orvandel::calc {

template <class T, class E> class result {
public:
    result(T value) : state_(std::in_place_index<0>, std::move(value)) {}
    result(E error) : state_(std::in_place_index<1>, error) {}

    [[nodiscard]] bool ok() const { return state_.index() == 0; }
    explicit operator bool() const { return ok(); }

    // Only valid when ok().
    [[nodiscard]] const T& value() const& { return std::get<0>(state_); }
    [[nodiscard]] T&& value() && { return std::get<0>(std::move(state_)); }
    const T& operator*() const& { return value(); }
    const T* operator->() const { return &value(); }

    // Only valid when !ok().
    [[nodiscard]] E error() const { return std::get<1>(state_); }

private:
    std::variant<T, E> state_;
};

} // namespace orvandel::calc
