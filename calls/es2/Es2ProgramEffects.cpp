// State effects of the ES 2.0 records for programs, attribute bindings, generic attribute values,
// vertex-attribute arrays and uniforms.
#include "Es2EffectSupport.h"

namespace xqft::es2 {

namespace {

// Find-or-add of a program entry; the entry carries its own name.
SEs2Program& Program(SEs2State& s, uint32_t name)
{
    SEs2Program& p = s.programs[name];
    p.name = name;
    return p;
}

template <class Values>
void SetFloats(std::vector<float>& out, const Values& values)
{
    out.clear();
    for (float v : values)
        out.push_back(v);
}

// Generic attribute values of the current program.
bool SetAttribute(SEs2State& s, uint32_t index, std::initializer_list<float> values)
{
    SEs2Attribute& a = s.linkedAttributes[s.currentProgram.name][index];
    a.components = uint32_t(values.size());
    SetFloats(a.values, values);
    return true;
}

template <class Call, int N>
bool SetAttributeFromPointer(const Call& c, SEs2State& s)
{
    const auto& values = c.template Item<"values">().data;
    SEs2Attribute& a = s.linkedAttributes[s.currentProgram.name][c.template Item<"index">().Value()];
    a.components = N;
    a.values.clear();
    for (int i = 0; i < N; ++i)
        a.values.push_back(values.pointer.value != 0 ? values.elements[i].value : 0.0f);
    return true;
}

// The uniform entry a setter writes: the current program's entry of the location.
SEs2Uniform& Uniform(SEs2State& s, int32_t location) { return s.uniforms[s.currentProgram.name][uint32_t(location)]; }

template <class T>
bool SetScalarUniform(SEs2State& s, int32_t location, std::initializer_list<T> values)
{
    if (location == -1)
        return true;
    SEs2Uniform& u = Uniform(s, location);
    u.components = uint32_t(values.size());
    if constexpr (std::is_same_v<T, float>) {
        u.kind = 1;
        u.floats.assign(values.begin(), values.end());
    } else {
        u.kind = 0;
        u.ints.assign(values.begin(), values.end());
    }
    return true;
}

// Vector and matrix setters keep every recorded element the call sets (count x N values), so
// uniform arrays are whole in the state; the recorded array bounds what is kept.
template <class Call, class Values>
bool SetArrayUniform(const Call& c, const Values& v, SEs2State& s, uint32_t kind, uint32_t components)
{
    if (!HasData(c))
        return false;
    const int32_t location = c.template Item<"location">().Value();
    if (location == -1)
        return kind != 2; // a vector setter reports it applied, a matrix setter that it did not
    if (v.ElementCount() == 0)
        return false;
    const int32_t count = c.template Item<"count">().Value();
    const size_t n = std::min<size_t>(size_t(count > 0 ? count : 1) * components, v.ElementCount());
    SEs2Uniform& u = Uniform(s, location);
    u.kind = kind;
    u.components = components;
    if (kind == 0) {
        u.ints.clear();
        for (size_t i = 0; i < n; ++i)
            u.ints.push_back(int32_t(v[i].value));
    } else {
        u.floats.clear();
        for (size_t i = 0; i < n; ++i)
            u.floats.push_back(float(v[i].value));
    }
    return true;
}

} // namespace

// ---- programs ---------------------------------------------------------------------------------

bool Es2Effect(const CEs2_glLinkProgram_v1& c, SEs2State& s)
{
    const uint32_t program = c.Item<"program">().Value();
    Program(s, program).linked = 1;
    s.linkedAttributes[program] = s.boundAttributes[program];
    return true;
}

bool Es2Effect(const CEs2_glUseProgram_v1& c, SEs2State& s)
{
    s.deleteUsedProgram = 0;
    const uint32_t program = c.Item<"program">().Value();
    s.currentProgram = program != 0 ? Program(s, program) : s.programs[0];
    return true;
}

bool Es2Effect(const CEs2_glDeleteProgram_v1& c, SEs2State& s)
{
    const uint32_t program = c.Item<"program">().Value();
    if (s.currentProgram.name == program)
        s.deleteUsedProgram = 1;
    s.programs.Erase(program);
    s.linkedAttributes.Erase(program);
    return true;
}

// ---- attributes -------------------------------------------------------------------------------

bool Es2Effect(const CEs2_glBindAttribLocation_v1& c, SEs2State& s)
{
    const uint32_t index = c.Item<"index">().Value();
    SEs2Attribute& a = s.boundAttributes[c.Item<"program">().Value()][index];
    a.name = RecordedName(c.Item<"name">().value);
    a.index = index;
    a.boundByName = 1;
    return true;
}

bool Es2Effect(const CEs2_glVertexAttrib1f_v1& c, SEs2State& s)
{
    return SetAttribute(s, c.Item<"index">().Value(), {c.Item<"x">().Value()});
}
bool Es2Effect(const CEs2_glVertexAttrib2f_v1& c, SEs2State& s)
{
    return SetAttribute(s, c.Item<"index">().Value(), {c.Item<"x">().Value(), c.Item<"y">().Value()});
}
bool Es2Effect(const CEs2_glVertexAttrib3f_v1& c, SEs2State& s)
{
    return SetAttribute(s, c.Item<"index">().Value(),
                        {c.Item<"x">().Value(), c.Item<"y">().Value(), c.Item<"z">().Value()});
}
bool Es2Effect(const CEs2_glVertexAttrib4f_v1& c, SEs2State& s)
{
    return SetAttribute(s, c.Item<"index">().Value(),
                        {c.Item<"x">().Value(), c.Item<"y">().Value(), c.Item<"z">().Value(), c.Item<"w">().Value()});
}
bool Es2Effect(const CEs2_glVertexAttrib1fv_v1& c, SEs2State& s) { return SetAttributeFromPointer<decltype(c), 1>(c, s); }
bool Es2Effect(const CEs2_glVertexAttrib2fv_v1& c, SEs2State& s) { return SetAttributeFromPointer<decltype(c), 2>(c, s); }
bool Es2Effect(const CEs2_glVertexAttrib3fv_v1& c, SEs2State& s) { return SetAttributeFromPointer<decltype(c), 3>(c, s); }
bool Es2Effect(const CEs2_glVertexAttrib4fv_v1& c, SEs2State& s) { return SetAttributeFromPointer<decltype(c), 4>(c, s); }

bool Es2Effect(const CEs2_glVertexAttribPointer_v1& c, SEs2State& s)
{
    SEs2VertexAttribPointer& p = s.vertexArrays[s.vertexArrayBinding].pointers[c.Item<"index">().Value()];
    p.buffer = s.arrayBufferBinding;
    p.normalized = c.Item<"normalized">().Value();
    p.size = c.Item<"size">().Value();
    p.stride = c.Item<"stride">().Value();
    p.type = c.Item<"type">().Value();
    p.pointer = c.Item<"ptr">().Value();
    return true;
}

namespace {
// The switches belong to the bound vertex-array object; the default object's are the state's own.
CObjectTable<unsigned int>& EnabledArrays(SEs2State& s)
{
    return s.vertexArrayBinding == 0 ? s.vertexAttribArrayEnabled : s.vertexArrays[s.vertexArrayBinding].enabled;
}
} // namespace

bool Es2Effect(const CEs2_glEnableVertexAttribArray_v1& c, SEs2State& s)
{
    return EnabledArrays(s)[c.Item<"index">().Value()] = 1, true;
}
bool Es2Effect(const CEs2_glDisableVertexAttribArray_v1& c, SEs2State& s)
{
    return EnabledArrays(s)[c.Item<"index">().Value()] = 0, true;
}

// ---- uniforms ---------------------------------------------------------------------------------

bool Es2Effect(const CEs2_glGetUniformLocation_v1& c, SEs2State& s)
{
    const int32_t location = c.Item<"return">().Value();
    if (location == -1)
        return true;
    const uint32_t program = c.Item<"program">().Value();
    SEs2Uniform& u = s.uniforms[program][uint32_t(location)];
    u.name = HasData(c) ? RecordedName(c.Item<"name">().data) : CXQFTString();
    u.location = location;
    u.program = program;
    return true;
}

#define XQF_UNIFORM_F(N, ...)                                                                            \
    bool Es2Effect(const CEs2_glUniform##N##f_v1& c, SEs2State& s)                                        \
    {                                                                                                     \
        return SetScalarUniform<float>(s, c.Item<"location">().Value(), {__VA_ARGS__});                   \
    }                                                                                                     \
    bool Es2Effect(const CEs2_glUniform##N##i_v1& c, SEs2State& s)                                        \
    {                                                                                                     \
        return SetScalarUniform<int32_t>(s, c.Item<"location">().Value(), {__VA_ARGS__});                 \
    }                                                                                                     \
    bool Es2Effect(const CEs2_glUniform##N##fv_v1& c, SEs2State& s) { return SetArrayUniform(c, c.Item<"v">().data, s, 1, N); } \
    bool Es2Effect(const CEs2_glUniform##N##iv_v1& c, SEs2State& s) { return SetArrayUniform(c, c.Item<"v">().data, s, 0, N); }
XQF_UNIFORM_F(1, c.Item<"x">().Value())
XQF_UNIFORM_F(2, c.Item<"x">().Value(), c.Item<"y">().Value())
XQF_UNIFORM_F(3, c.Item<"x">().Value(), c.Item<"y">().Value(), c.Item<"z">().Value())
XQF_UNIFORM_F(4, c.Item<"x">().Value(), c.Item<"y">().Value(), c.Item<"z">().Value(), c.Item<"w">().Value())
#undef XQF_UNIFORM_F

bool Es2Effect(const CEs2_glUniformMatrix2fv_v1& c, SEs2State& s) { return SetArrayUniform(c, c.Item<"value">().data, s, 2, 4); }
bool Es2Effect(const CEs2_glUniformMatrix3fv_v1& c, SEs2State& s) { return SetArrayUniform(c, c.Item<"value">().data, s, 2, 9); }
bool Es2Effect(const CEs2_glUniformMatrix4fv_v1& c, SEs2State& s) { return SetArrayUniform(c, c.Item<"value">().data, s, 2, 16); }

} // namespace xqft::es2
