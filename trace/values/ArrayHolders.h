#pragma once
// Holders of pointer arguments that carry arrays: counted arrays of scalars, tuples, matrices or
// strings (SArrayPtr), and fixed-size vectors and matrices (SPtr). Scalar elements are kept as
// their bare recorded values (4 bytes, 8 for pointers); an element's holder is made only while
// the array prints itself. String elements keep their holders.
#include "ApiTypes.h"
#include "DataHolders.h"
#include "apicall/CallArena.h"
#include "stream/FileMapping.h"

#include <cstring>
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <type_traits>
#include <vector>

namespace arraytext {
// Element texts gathered by the templates, formatted by the shared rules of ArrayHolders.cpp.
enum class EFamily { List, Tuple, Matrix };
void Compact(EFamily family, int n, const std::vector<std::string>& texts, size_t entries, CXQFTString& out);
void Raw(EFamily family, int n, const std::vector<std::string>& texts, size_t entries, CXQFTString& out);
void Long(EFamily family, int n, const std::vector<std::string>& texts, size_t entries, CXQFTString& out);
void Fixed(int a, int b, const std::vector<std::string>& texts, CXQFTString& out);
std::string Text(const SApiTypeBase& v);
std::string RawText(const SApiTypeBase& v);
std::string LongText(const SApiTypeBase& v);
} // namespace arraytext

template <class T>
struct TElementStore
{
    using type = T;
};
template <class T>
    requires requires { typename T::ValueType; }
struct TElementStore<T>
{
    using type = SBare<typename T::ValueType>;
};

// What an array holder of T keeps per element.
template <class T>
using ElementOf = typename TElementStore<T>::type;

// The text of one stored element, printed through a holder of its type.
template <class T>
std::string ElementText(const ElementOf<T>& e, std::string (*print)(const SApiTypeBase&))
{
    if constexpr (std::is_same_v<ElementOf<T>, T>) {
        return print(e);
    } else {
        T holder;
        holder.value = e.value;
        return print(holder);
    }
}

template <class T>
concept Integer32Holder = requires { typename T::ValueType; } && sizeof(typename T::ValueType) == 4 &&
                          std::is_integral_v<typename T::ValueType>;

// Holders of 32-bit scalars (integers or floats): their bare elements are 32-bit values in a row,
// which the players hand to the host as they are.
template <class T>
concept Scalar32Holder = requires { typename T::ValueType; } && sizeof(typename T::ValueType) == 4 &&
                         std::is_arithmetic_v<typename T::ValueType>;

// The elements of an array holder. Bare elements that fit in a pointer's room are kept there
// (recorded arrays mostly hold one or two values: a queried integer, generated names); longer runs
// of 32-bit values stay in the trace file where the record holds them, when the loader shows it
// through a mapping (View); others are copied to the call arena while a call is loaded
// (apicall/CallArena.h), else to an allocation of their own. Elements in the file may lie at any
// byte offset there: they are only ever read one by one, by value, or copied out whole. Elements
// that are holders (strings) are always allocated.
template <class E, bool Local = std::is_trivially_destructible_v<E> && sizeof(E) <= sizeof(E*)>
class TElements
{
public:
    TElements() = default;
    ~TElements() { reset(); }
    TElements(const TElements&) = delete;
    TElements& operator=(const TElements&) = delete;

    // n value-initialised elements; none for n 0.
    void Make(size_t n)
    {
        reset();
        if (n == 0)
            return;
        if (n <= kLocal) {
            for (size_t i = 0; i < kLocal; ++i)
                m_store.local[i] = E{};
            m_kind = kInPlace;
        } else if (n <= SIZE_MAX / sizeof(E) && (m_store.heap = static_cast<E*>(CCallArena::RoomBeside(n * sizeof(E))))) {
            for (size_t i = 0; i < n; ++i)
                new (&m_store.heap[i]) E{};
            m_kind = kInArena;
        } else {
            m_store.heap = new E[n]();
        }
    }
    // Elements that stay at bytes, which outlive the holder (a trace file's mapping the trace keeps).
    void View(const uint8_t* bytes)
    {
        reset();
        m_store.file = bytes;
        m_kind = kInFile;
    }
    void reset()
    {
        if (m_kind == kOwned)
            delete[] m_store.heap;
        m_store.heap = nullptr;
        m_kind = kOwned;
    }
    explicit operator bool() const { return m_kind == kInPlace || m_kind == kInFile || m_store.heap; }
    // Whether the elements are the trace file's own bytes (View).
    bool InFile() const { return m_kind == kInFile; }
    // Where the elements start: in the file, or in memory.
    const void* Start() const { return m_kind == kInFile ? static_cast<const void*>(m_store.file) : Held(); }
    // The elements held in memory, to fill or to read as a block; null for elements in the file.
    E* Held() { return m_kind == kInPlace ? m_store.local : m_kind == kInFile ? nullptr : m_store.heap; }
    const E* Held() const { return m_kind == kInPlace ? m_store.local : m_kind == kInFile ? nullptr : m_store.heap; }
    E operator[](size_t i) const
    {
        if (m_kind != kInFile)
            return Held()[i];
        E e;
        std::memcpy(&e, m_store.file + i * sizeof(E), sizeof(E));
        return e;
    }
    // Copies the first n elements to out.
    void CopyTo(E* out, size_t n) const
    {
        if (n != 0)
            std::memcpy(out, Start(), n * sizeof(E));
    }

private:
    static_assert(alignof(E) <= 8, "arena room is 8-aligned");
    static_assert(std::is_trivially_copyable_v<E>, "elements are copied byte for byte");
    static constexpr size_t kLocal = sizeof(E*) / sizeof(E);
    // Where the elements are: an allocation of their own (or none), the union, the call arena, the
    // trace file.
    enum : uint8_t { kOwned, kInPlace, kInArena, kInFile };
    union UStore
    {
        UStore() : heap(nullptr) {}
        E* heap;
        E local[kLocal];
        const uint8_t* file;
    } m_store;
    uint8_t m_kind = kOwned;
};

template <class E>
class TElements<E, false>
{
public:
    void Make(size_t n) { m_heap.reset(n ? new E[n]() : nullptr); }
    void reset() { m_heap.reset(); }
    explicit operator bool() const { return m_heap != nullptr; }
    bool InFile() const { return false; }
    const void* Start() const { return m_heap.get(); }
    E* Held() const { return m_heap.get(); }
    E& operator[](size_t i) const { return m_heap[i]; }

private:
    std::unique_ptr<E[]> m_heap;
};

// count entries of A x B elements each. Elements exist only when both the pointer and the count
// were non-zero in the record.
template <class T, int A, int B>
struct SArrayPtr : SApiTypeBase
{
    static_assert(A >= 1 && B >= 1 && (B == 1 || A == B), "lists, tuples and square matrices only");
    static constexpr int kRows = A;
    static constexpr int kColumns = B;
    using Element = T;
    using Stored = ElementOf<T>;

    SPointerValue pointer;
    // The count shares the room the elements leave after their in-place flag.
    [[no_unique_address]] TElements<Stored> elements;
    uint32_t count = 0;

    SArrayPtr() = default;
    SArrayPtr(const SArrayPtr&) = delete;
    SArrayPtr& operator=(const SArrayPtr&) = delete;

    // Number of elements (count x A x B when the elements were recorded, else 0).
    size_t ElementCount() const { return elements ? size_t(count) * A * B : 0; }
    // Element i by value (a string element by reference): elements kept in the trace file are read
    // from there one at a time.
    decltype(auto) operator[](size_t i) const { return elements[i]; }

    // Makes count x A x B zero-valued elements in memory, to be filled through Held().
    void Allocate(uint32_t entries)
    {
        count = entries;
        elements.Make(size_t(entries) * A * B);
    }
    Stored* Held() { return elements.Held(); }

    // The elements' 32-bit values in order (floats bit for bit), count x A x B of them, as one
    // aligned block when they are held in memory (the elements themselves: the same block on every
    // call); null without elements, or for elements kept in the trace file (CopyValues reads those).
    const uint32_t* HeldValues() const requires(Scalar32Holder<T>)
    {
        static_assert(sizeof(Stored) == 4);
        return ElementCount() != 0 ? reinterpret_cast<const uint32_t*>(elements.Held()) : nullptr;
    }
    // Copies the ElementCount() values to out, wherever the elements are kept.
    void CopyValues(uint32_t* out) const requires(Scalar32Holder<T>)
    {
        static_assert(sizeof(Stored) == 4);
        elements.CopyTo(reinterpret_cast<Stored*>(out), ElementCount());
    }

    // False when the elements are kept in a trace file that was cut or changed since the load:
    // what they read then is not what was recorded (stream/FileMapping.h).
    bool ElementsIntact() const { return !elements.InFile() || CapturedBytesIntact(elements.Start()); }

    void ToString(CXQFTString& text, CXQFTString* rawText) const override
    {
        if (Start(text)) {
            if (rawText)
                pointer.ToString(*rawText, nullptr);
            return;
        }
        std::vector<std::string> texts;
        Collect(texts, arraytext::Text);
        arraytext::Compact(Family(), A, texts, count, text);
        if (rawText) {
            texts.clear();
            Collect(texts, Family() == arraytext::EFamily::List ? arraytext::RawText : arraytext::Text);
            arraytext::Raw(Family(), A, texts, count, *rawText);
        }
        if (Gone(text) && rawText)
            pointer.ToString(*rawText, nullptr);
    }

    void ToLongString(CXQFTString& text) const override
    {
        if (Start(text))
            return;
        std::vector<std::string> texts;
        Collect(texts, arraytext::LongText);
        arraytext::Long(Family(), A, texts, count, text);
        Gone(text);
    }

protected:
    static constexpr arraytext::EFamily Family()
    {
        return A == 1 && B == 1 ? arraytext::EFamily::List
               : B == 1         ? arraytext::EFamily::Tuple
                                : arraytext::EFamily::Matrix;
    }

    // "NULL" for pointer 0, the pointer for an array without elements; true when that is all.
    bool Start(CXQFTString& text) const
    {
        if (pointer.value == 0) {
            text.Assign("NULL");
            return true;
        }
        if (ElementCount() == 0) {
            pointer.ToString(text, nullptr);
            return true;
        }
        return false;
    }

    // Elements read from a trace file cut or changed since the load are not the recorded ones: the
    // pointer then stands for them, as for an array recorded without elements. Asked after reading
    // them (a cut meanwhile read zeros); true when text was replaced so.
    bool Gone(CXQFTString& text) const
    {
        if (ElementsIntact())
            return false;
        pointer.ToString(text, nullptr);
        return true;
    }

    void Collect(std::vector<std::string>& texts, std::string (*print)(const SApiTypeBase&)) const
    {
        const size_t n = ElementCount();
        texts.reserve(n);
        for (size_t i = 0; i < n; ++i)
            texts.push_back(ElementText<T>(elements[i], print));
    }
};

// A x B elements held inline, present when the pointer is non-zero.
template <class T, int A, int B>
struct SPtr : SApiTypeBase
{
    static_assert((A >= 1 && B == 1) || (A == 4 && B == 4), "single values, vectors and 4x4 matrices only");
    static constexpr int kRows = A;
    static constexpr int kColumns = B;
    using Element = T;
    using Stored = ElementOf<T>;

    SPointerValue pointer;
    Stored elements[A * B];

    SPtr() = default;
    SPtr(const SPtr&) = delete;
    SPtr& operator=(const SPtr&) = delete;

    // The A x B held values (floats bit for bit) as one block: the elements themselves.
    uint32_t* GetData() requires(Scalar32Holder<T>)
    {
        static_assert(sizeof(Stored) == 4);
        return reinterpret_cast<uint32_t*>(elements);
    }

    void ToString(CXQFTString& text, CXQFTString* rawText) const override
    {
        if (pointer.value == 0) {
            text.Assign("NULL");
        } else {
            std::vector<std::string> texts;
            for (const Stored& e : elements)
                texts.push_back(ElementText<T>(e, arraytext::Text));
            arraytext::Fixed(A, B, texts, text);
        }
        if (rawText)
            pointer.ToString(*rawText, nullptr);
    }
};

static_assert(sizeof(SArrayPtr<TuintType<21>, 1, 1>) == 32, "an array holder keeps its count beside the in-place flag");
