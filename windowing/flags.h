#pragma once

#include <cstdint>

namespace Orv::Flags {

// A typed bit set; the derived classes keep styles and buttons apart.
class _InternalFlagBase {
public:
    explicit _InternalFlagBase(std::int32_t bits) : bits(bits) {}
    virtual ~_InternalFlagBase() = default;

    std::int32_t bits;
};

class Style : public _InternalFlagBase {
public:
    explicit Style(std::int32_t bits) : _InternalFlagBase(bits) {}
    Style operator|(const Style& other) const { return Style(bits | other.bits); }
    Style operator&(const Style& other) const { return Style(bits & other.bits); }
    explicit operator bool() const { return bits != 0; }

    static const Style NONE;
    static const Style BORDER;
    static const Style TOOL;
    static const Style RESIZABLE;
    static const Style TITLE;
};

class Button : public _InternalFlagBase {
public:
    explicit Button(std::int32_t bits) : _InternalFlagBase(bits) {}
    Button operator|(const Button& other) const { return Button(bits | other.bits); }
    Button operator&(const Button& other) const { return Button(bits & other.bits); }
    explicit operator bool() const { return bits != 0; }

    static const Button NONE;
    static const Button MINIMIZE;
    static const Button MAXIMIZE;
    static const Button CLOSE;
};

inline const Style Style::NONE{0};
inline const Style Style::BORDER{1};
inline const Style Style::TOOL{2};
inline const Style Style::RESIZABLE{4};
inline const Style Style::TITLE{8};

inline const Button Button::NONE{0};
inline const Button Button::MINIMIZE{1};
inline const Button Button::MAXIMIZE{2};
inline const Button Button::CLOSE{4};

}  // namespace Orv::Flags
