// The rebuild rules, one pair of frames each: a frame that reads a texture the GPU made before
// rewriting it (a restore alone cannot give it, so it is rebuilt), then one that rewrites it whole
// first (restored as it is). Every frame ends by drawing the texture anew through its framebuffer,
// so that the next one starts with an image only the GPU made; frame 1 only sets up.
#include "Scenes.h"

using namespace scene;

namespace {

constexpr uint32_t kW = 32, kH = 32;
constexpr GLsizei kSide = 16;

struct SRuleKit
{
    CRecorder& r;
    GLuint show = 0, color = 0;
    Loc bias{};
    GLuint drawn = 0, uploaded = 0, framebuffer = 0;

    void Bind(GLuint texture)
    {
        GL(glActiveTexture)(GLenum(GL_TEXTURE0));
        GL(glBindTexture)(GLenum(GL_TEXTURE_2D), Name{"texture", texture});
    }
    void Target(GLuint fb)
    {
        GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", fb});
        GL(glViewport)(0, 0, fb ? kSide : GLsizei(kW), fb ? kSide : GLsizei(kH));
    }
    void Clear(float red, float green, float blue, float alpha)
    {
        GL(glClearColor)(red, green, blue, alpha);
        GL(glClear)(GLbitfield(GL_COLOR_BUFFER_BIT));
    }
    void Upload(GLuint texture, int seed)
    {
        Bind(texture);
        const std::vector<uint8_t> pixels = Pattern(size_t(kSide) * kSide * 4, seed);
        r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSide, kSide, GL_UNSIGNED_BYTE, pixels.data());
    }
    // A quad of one colour into the drawn texture's framebuffer, placed by the frame.
    void DrawInto(int f, float alpha)
    {
        Target(framebuffer);
        GL(glUseProgram)(Name{"program", color});
        const float d = 0.1f * float(f % 5);
        ColorQuad(r, Quad(-0.7f + d, -0.9f, 0.4f + d, 0.3f + d), 0.2f + 0.05f * float(f % 4), 0.8f, 0.3f, alpha);
    }
    // The window: the drawn texture on the left, the uploaded one on the right; blue mixes in alpha.
    void Show(float lodBias = 0.0f)
    {
        Target(0);
        Clear(0.05f, 0.05f, 0.05f, 1.0f);
        GL(glUseProgram)(Name{"program", show});
        GL(glUniform1f)(bias, lodBias);
        for (GLuint texture : {drawn, uploaded}) {
            Bind(texture);
            const std::vector<float> quad = texture == drawn ? Quad(-1.0f, -1.0f, 0.0f, 1.0f) : Quad(0.0f, -1.0f, 1.0f, 1.0f);
            r.VertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, quad.data());
            r.EnableVertexAttribArray(0);
            r.DrawArrays(GL_TRIANGLES, 0, 6);
        }
    }
    // What every frame ends with: the drawn texture cleared whole and drawn into, the uploaded one
    // uploaded again whole (frames copy into it).
    void EndFrame(const SWindow& w, int f)
    {
        Bind(drawn);
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
        Target(framebuffer);
        Clear(0.3f, 0.1f * float(f % 7), 0.6f, 0.8f);
        DrawInto(f, 0.4f);
        Upload(uploaded, 40);
        Target(0);
        r.SwapBuffers(w.surface);
    }
};

void RebuildRules(CRecorder& r)
{
    const SWindow w = Open(r, kW, kH);
    SRuleKit k{r};
    k.color = Program(r, kColorVertex, kColorFragment, {"a_position", "a_color"});
    // Each half of the window shows a whole texture.
    const char* vs = "attribute vec4 a_position;\nvarying vec2 v_place;\n"
                     "void main() { gl_Position = a_position; v_place = a_position.xy; }\n";
    const char* fs = "precision mediump float;\nuniform sampler2D u_texture;\nuniform float u_bias;\n"
                     "varying vec2 v_place;\n"
                     "void main() { vec2 uv = vec2(fract(v_place.x + 1.0), v_place.y * 0.5 + 0.5);\n"
                     "  vec4 t = texture2D(u_texture, uv, u_bias);\n"
                     "  gl_FragColor = vec4(t.r, t.g, 0.5 * (t.b + t.a), 1.0); }\n";
    k.show = Program(r, vs, fs, {"a_position"});
    k.bias = Loc{REC_GL_NAMED(r, glGetUniformLocation, "location")(Name{"program", k.show}, Text{"u_bias"})};
    GLuint textures[2] = {};
    GL(glGenTextures)(2, Array<GLuint>{textures, 2, "texture"});
    k.drawn = textures[0];
    k.uploaded = textures[1];
    for (GLuint texture : textures) {
        k.Bind(texture);
        r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSide, kSide, GL_UNSIGNED_BYTE, nullptr);
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST));
        GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MAG_FILTER), GLint(GL_NEAREST));
    }
    GL(glGenFramebuffers)(1, Array<GLuint>{&k.framebuffer, 1, "framebuffer"});
    GL(glBindFramebuffer)(GLenum(GL_FRAMEBUFFER), Name{"framebuffer", k.framebuffer});
    GL(glFramebufferTexture2D)(GLenum(GL_FRAMEBUFFER), GLenum(GL_COLOR_ATTACHMENT0), GLenum(GL_TEXTURE_2D),
                               Name{"texture", k.drawn}, 0);
    k.EndFrame(w, 1);

    // Each rule: what the frame that reads does, then what the frame that rewrites first does. The
    // mipmaps come last: the levels they leave behind would be read by every frame after.
    using Step = void (*)(SRuleKit&, CRecorder&);
    const std::pair<Step, Step> rules[] = {
        {// A clear with alpha masked keeps the alpha the GPU made; a clear of every channel does not.
         [](SRuleKit& k, CRecorder& r) {
             k.Target(k.framebuffer);
             GL(glColorMask)(GLboolean(GL_TRUE), GLboolean(GL_TRUE), GLboolean(GL_TRUE), GLboolean(GL_FALSE));
             k.Clear(0.9f, 0.2f, 0.1f, 0.1f);
             GL(glColorMask)(GLboolean(GL_TRUE), GLboolean(GL_TRUE), GLboolean(GL_TRUE), GLboolean(GL_TRUE));
             k.Show();
         },
         [](SRuleKit& k, CRecorder& r) {
             k.Target(k.framebuffer);
             k.Clear(0.9f, 0.2f, 0.1f, 0.1f);
             k.Show();
         }},
        {// A scissored clear keeps what lies outside its box.
         [](SRuleKit& k, CRecorder& r) {
             k.Target(k.framebuffer);
             GL(glEnable)(GLenum(GL_SCISSOR_TEST));
             GL(glScissor)(2, 3, 9, 8);
             k.Clear(0.1f, 0.9f, 0.2f, 1.0f);
             GL(glDisable)(GLenum(GL_SCISSOR_TEST));
             k.Show();
         },
         [](SRuleKit& k, CRecorder& r) {
             k.Target(k.framebuffer);
             k.Clear(0.1f, 0.9f, 0.2f, 1.0f);
             k.Show();
         }},
        {// A draw into the texture keeps what it does not cover.
         [](SRuleKit& k, CRecorder& r) {
             k.DrawInto(3, 1.0f);
             k.Show();
         },
         [](SRuleKit& k, CRecorder& r) {
             k.Target(k.framebuffer);
             k.Clear(0.4f, 0.4f, 0.9f, 1.0f);
             k.DrawInto(3, 1.0f);
             k.Show();
         }},
        {// A sub-image upload keeps the pixels around it; an upload of the whole level does not.
         [](SRuleKit& k, CRecorder& r) {
             k.Bind(k.drawn);
             const std::vector<uint8_t> pixels = Pattern(8 * 8 * 4, 9);
             r.TexSubImage2D(GL_TEXTURE_2D, 0, 4, 4, 8, 8, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
             k.Show();
         },
         [](SRuleKit& k, CRecorder& r) {
             k.Upload(k.drawn, 11);
             k.Show();
         }},
        {// The same for copies from the window.
         [](SRuleKit& k, CRecorder& r) {
             k.Target(0);
             k.Clear(0.7f, 0.3f, 0.5f, 1.0f);
             k.Bind(k.drawn);
             GL(glCopyTexSubImage2D)(GLenum(GL_TEXTURE_2D), 0, 2, 2, 0, 0, 8, 8);
             k.Show();
         },
         [](SRuleKit& k, CRecorder& r) {
             k.Target(0);
             k.Clear(0.7f, 0.3f, 0.5f, 1.0f);
             k.Bind(k.drawn);
             GL(glCopyTexImage2D)(GLenum(GL_TEXTURE_2D), 0, GLenum(GL_RGBA), 0, 0, kSide, kSide, 0);
             k.Show();
         }},
        {// A copy from the framebuffer the texture is the colour of reads it, even when the texture is
         // rewritten whole before anything samples it; a copy from the window does not.
         [](SRuleKit& k, CRecorder& r) {
             k.Target(k.framebuffer);
             k.Bind(k.uploaded);
             GL(glCopyTexSubImage2D)(GLenum(GL_TEXTURE_2D), 0, 0, 0, 0, 0, kSide, kSide);
             k.Clear(0.2f, 0.6f, 0.6f, 1.0f);
             k.Show();
         },
         [](SRuleKit& k, CRecorder& r) {
             k.Target(0);
             k.Clear(0.6f, 0.6f, 0.2f, 1.0f);
             k.Bind(k.uploaded);
             GL(glCopyTexSubImage2D)(GLenum(GL_TEXTURE_2D), 0, 0, 0, 0, 0, kSide, kSide);
             k.Target(k.framebuffer);
             k.Clear(0.2f, 0.6f, 0.6f, 1.0f);
             k.Show();
         }},
        {// Levels generated from the image read it, though level 0 is uploaded whole right after: the
         // smallest level, all that is sampled, is the average of what the GPU drew.
         [](SRuleKit& k, CRecorder& r) {
             k.Bind(k.drawn);
             GL(glGenerateMipmap)(GLenum(GL_TEXTURE_2D));
             const std::vector<uint8_t> pixels = Pattern(size_t(kSide) * kSide * 4, 13);
             r.TexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, kSide, kSide, GL_UNSIGNED_BYTE, pixels.data());
             GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST_MIPMAP_NEAREST));
             k.Show(8.0f);
         },
         [](SRuleKit& k, CRecorder& r) {
             k.Upload(k.drawn, 13);
             GL(glGenerateMipmap)(GLenum(GL_TEXTURE_2D));
             GL(glTexParameteri)(GLenum(GL_TEXTURE_2D), GLenum(GL_TEXTURE_MIN_FILTER), GLint(GL_NEAREST_MIPMAP_NEAREST));
             k.Show(8.0f);
         }},
    };
    int f = 2;
    for (const auto& [reads, rewrites] : rules) {
        reads(k, r);
        k.EndFrame(w, f++);
        rewrites(k, r);
        k.EndFrame(w, f++);
    }
}

} // namespace

const std::vector<SScene>& RuleScenes()
{
    static const std::vector<SScene> scenes = {
        {"rebuild-rules", "each rebuild rule: a frame that reads a GPU-made texture, then one that rewrites it first",
         &RebuildRules},
    };
    return scenes;
}
