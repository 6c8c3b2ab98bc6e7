#pragma once
// The effects of the ES 1.1 matrix calls on the current matrix, as templates over the call class: the
// float and fixed-point core forms share them, and so do the fixed-point extension forms, whose
// items carry the same names.
#include <type_traits>

#include "Es1EffectSupport.h"
#include "Es1MatrixMath.h"

namespace xqft::es1 {

inline constexpr uint32_t kModelView = 0x1700, kProjection = 0x1701, kTexture = 0x1702, kMatrixPalette = 0x8840;

// The stack of the current matrix mode, or -1: 0 model-view, 1 projection, 2 + paletteStackBase +
// active unit the texture stack, 2 + the current palette matrix the palette stack (which must stay
// below the texture stacks).
inline int StackIndex(const SEs1State& s)
{
    uint64_t index;
    switch (s.matrixMode) {
    case kModelView: index = 0; break;
    case kProjection: index = 1; break;
    case kTexture: {
        const uint32_t unit = ActiveUnit(s);
        if (unit == kNoUnit)
            return -1;
        index = 2 + uint64_t(s.paletteStackBase) + unit;
        break;
    }
    case kMatrixPalette:
        if (s.currentPaletteMatrix >= s.paletteStackBase)
            return -1;
        index = 2 + uint64_t(s.currentPaletteMatrix);
        break;
    default: return -1;
    }
    return index < uint64_t(kEs1MatrixStacks) ? int(index) : -1;
}

// The current matrix, or null.
inline SEs1Matrix* CurrentMatrix(SEs1State& s)
{
    const int i = StackIndex(s);
    return i < 0 ? nullptr : &s.matrixStacks[i].top;
}

// A recorded number as a float: floats as recorded, fixed-point numbers (GLfixed, GLclampx) / 65536.
// The f and x forms of a function share one effect through it.
template <class Item>
float Num(const Item& item)
{
    using Holder = typename Item::ListedHolder;
    if constexpr (std::is_same_v<Holder, TGLfixed> || std::is_same_v<Holder, TGLclampx>)
        return Fixed(item.Value());
    else
        return float(item.Value());
}

// Recorded numbers, named in order, into consecutive floats (a colour, a normal, a coordinate).
template <xqft::FixedString... Names, class Call>
void Nums(const Call& c, float* out)
{
    ((*out++ = Num(c.template Item<Names>())), ...);
}

// The matrix a load or multiply call recorded; false when it was recorded without its values.
template <class Call>
bool RecordedMatrix(const Call& c, SEs1Matrix& m)
{
    const auto& data = c.template Item<"m">().data;
    if (!c.IsDataIncluded() || data.pointer.value == 0)
        return false;
    for (int k = 0; k < 16; ++k) {
        const auto v = data.elements[k].value;
        m[k] = std::is_floating_point_v<decltype(v)> ? float(v) : Fixed(int32_t(v));
    }
    return true;
}

template <class Call>
bool LoadMatrix(const Call& c, SEs1State& s, uint32_t)
{
    SEs1Matrix* top = CurrentMatrix(s);
    SEs1Matrix m;
    if (!top || !RecordedMatrix(c, m))
        return false;
    *top = m;
    return true;
}

template <class Call>
bool MultMatrix(const Call& c, SEs1State& s, uint32_t)
{
    SEs1Matrix* top = CurrentMatrix(s);
    SEs1Matrix m;
    if (!top || !RecordedMatrix(c, m))
        return false;
    MultiplyInto(*top, m);
    return true;
}

// Applies `transform` to the current matrix with the call's numbers `Names`; false without one.
template <xqft::FixedString... Names, class Call, class Transform>
bool TransformCurrent(const Call& c, SEs1State& s, Transform&& transform)
{
    float v[sizeof...(Names)];
    Nums<Names...>(c, v);
    SEs1Matrix* top = CurrentMatrix(s);
    return top && transform(*top, v);
}

template <class Call>
bool OrthoCall(const Call& c, SEs1State& s, uint32_t)
{
    return TransformCurrent<"left", "right", "bottom", "top", "zNear", "zFar">(
        c, s, [](SEs1Matrix& m, const float* v) { return Ortho(m, v[0], v[1], v[2], v[3], v[4], v[5]); });
}

template <class Call>
bool FrustumCall(const Call& c, SEs1State& s, uint32_t)
{
    return TransformCurrent<"left", "right", "bottom", "top", "zNear", "zFar">(
        c, s, [](SEs1Matrix& m, const float* v) { return Frustum(m, v[0], v[1], v[2], v[3], v[4], v[5]); });
}

template <class Call>
bool RotateCall(const Call& c, SEs1State& s, uint32_t)
{
    return TransformCurrent<"angle", "x", "y", "z">(
        c, s, [](SEs1Matrix& m, const float* v) { return Rotate(m, v[0], v[1], v[2], v[3]), true; });
}

template <class Call>
bool ScaleCall(const Call& c, SEs1State& s, uint32_t)
{
    return TransformCurrent<"x", "y", "z">(c, s, [](SEs1Matrix& m, const float* v) { return Scale(m, v[0], v[1], v[2]), true; });
}

template <class Call>
bool TranslateCall(const Call& c, SEs1State& s, uint32_t)
{
    return TransformCurrent<"x", "y", "z">(
        c, s, [](SEs1Matrix& m, const float* v) { return Translate(m, v[0], v[1], v[2]), true; });
}

} // namespace xqft::es1
