#include "device/GlShaderCache.h"

#include <epoxy/gl.h>

#include <vector>

#include "foundation/Logger.h"
#include "device/DeviceTypes.h"

std::size_t GlProgramKeyHash::operator()(const GlProgramKey& key) const {
  std::uint64_t hash = 14695981039346656037ull;
  for (std::uint8_t b : key.bytes) hash = (hash ^ b) * 1099511628211ull;
  return static_cast<std::size_t>(hash);
}

namespace {

struct StageKey {
  std::uint8_t colorOp, colorArg1, colorArg2, alphaOp, alphaArg1, alphaArg2, source, transform,
      textured;
};

StageKey stageOf(const GlProgramKey& key, int stage) {
  const std::uint8_t* p = key.bytes.data() + 4 + stage * GlProgramKey::kStageBytes;
  return StageKey{p[0], p[1], p[2], p[3], p[4], p[5], p[6], p[7], p[8]};
}

bool usesTexture(std::uint8_t arg) { return (arg & D3DTA_SELECTMASK) == D3DTA_TEXTURE; }

bool stageSamples(const StageKey& s) {
  bool colorUses =
      usesTexture(s.colorArg1) || usesTexture(s.colorArg2) || s.colorOp == D3DTOP_BLENDTEXTUREALPHA;
  bool alphaUses =
      s.alphaOp != D3DTOP_DISABLE && (usesTexture(s.alphaArg1) || usesTexture(s.alphaArg2));
  return colorUses || alphaUses;
}

std::string argument(std::uint8_t arg, int stage) {
  std::string base;
  switch (arg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE:
      base = "diffuse";
      break;
    case D3DTA_CURRENT:
      base = "current";
      break;
    case D3DTA_TEXTURE:
      base = "tex" + std::to_string(stage);
      break;
    case D3DTA_TFACTOR:
      base = "textureFactor";
      break;
    case D3DTA_SPECULAR:
      base = "specular";
      break;
    default:
      base = "current";
      break;
  }
  if (arg & D3DTA_COMPLEMENT) base = "(vec4(1.0) - " + base + ")";
  if (arg & D3DTA_ALPHAREPLICATE) base = "vec4(" + base + ".a)";
  return base;
}

// The operation on two vec4 arguments; the caller saturates.
std::string operation(std::uint8_t op, const std::string& a, const std::string& b, int stage) {
  const std::string t = "tex" + std::to_string(stage);
  switch (op) {
    case D3DTOP_SELECTARG1:
      return a;
    case D3DTOP_SELECTARG2:
      return b;
    case D3DTOP_MODULATE:
      return a + " * " + b;
    case D3DTOP_MODULATE2X:
      return "2.0 * " + a + " * " + b;
    case D3DTOP_MODULATE4X:
      return "4.0 * " + a + " * " + b;
    case D3DTOP_ADD:
      return a + " + " + b;
    case D3DTOP_ADDSIGNED:
      return a + " + " + b + " - vec4(0.5)";
    case D3DTOP_SUBTRACT:
      return a + " - " + b;
    case D3DTOP_BLENDDIFFUSEALPHA:
      return "mix(" + b + ", " + a + ", diffuse.a)";
    case D3DTOP_BLENDTEXTUREALPHA:
      return "mix(" + b + ", " + a + ", " + t + ".a)";
    case D3DTOP_BLENDFACTORALPHA:
      return "mix(" + b + ", " + a + ", textureFactor.a)";
    case D3DTOP_BLENDCURRENTALPHA:
      return "mix(" + b + ", " + a + ", current.a)";
    case D3DTOP_DOTPRODUCT3:
      return "vec4(4.0 * dot(" + a + ".rgb - vec3(0.5), " + b + ".rgb - vec3(0.5)))";
    default:
      return a + " * " + b;
  }
}

const char* comparison(std::uint8_t func) {
  switch (func) {
    case D3DCMP_NEVER:
      return "false";
    case D3DCMP_LESS:
      return "alpha < reference";
    case D3DCMP_EQUAL:
      return "alpha == reference";
    case D3DCMP_LESSEQUAL:
      return "alpha <= reference";
    case D3DCMP_GREATER:
      return "alpha > reference";
    case D3DCMP_NOTEQUAL:
      return "alpha != reference";
    case D3DCMP_GREATEREQUAL:
      return "alpha >= reference";
    default:
      return "true";
  }
}

}  // namespace

const char* GlShaderCache::uniformBlockSource() {
  return R"(layout(std140) uniform FixedFunction {
  mat4 worldView;
  mat4 normalMatrix;
  mat4 projection;
  mat4 textureMatrix[4];
  vec4 materialDiffuse;
  vec4 materialAmbient;
  vec4 materialSpecular;
  vec4 materialEmissive;
  vec4 globalAmbient;
  vec4 textureFactor;
  vec4 parameters;
  vec4 lightDiffuse[8];
  vec4 lightSpecular[8];
  vec4 lightAmbient[8];
  vec4 lightPosition[8];
  vec4 lightDirection[8];
  vec4 lightAttenuation[8];
};
)";
}

std::string GlShaderCache::vertexSource(const GlProgramKey& key) {
  const std::uint8_t layout = key.bytes[0];
  const std::uint8_t flags = key.bytes[1];
  const int sets = layout >> 4;
  const int stages = key.bytes[3];
  const bool hasNormal = layout & glkey::kNormal;
  const bool hasDiffuse = layout & glkey::kDiffuse;
  const bool hasSpecular = layout & glkey::kSpecular;
  const bool lighting = flags & glkey::kLighting;
  const std::string interpolation = (flags & glkey::kFlat) ? "flat " : "";

  std::string s = "#version 330 core\n";
  s += uniformBlockSource();
  s += "layout(location = 0) in vec3 inPosition;\n";
  if (hasNormal) s += "layout(location = 1) in vec3 inNormal;\n";
  if (hasDiffuse) s += "layout(location = 2) in vec4 inDiffuse;\n";
  if (hasSpecular) s += "layout(location = 3) in vec4 inSpecular;\n";
  for (int i = 0; i < sets; ++i)
    s += "layout(location = " + std::to_string(4 + i) + ") in vec2 inTexCoord" + std::to_string(i) +
         ";\n";
  s += interpolation + "out vec4 vDiffuse;\n" + interpolation + "out vec4 vSpecular;\n";
  for (int i = 0; i < stages; ++i) s += "out vec2 vTexCoord" + std::to_string(i) + ";\n";

  s += "void main() {\n";
  s += "  vec4 eyePosition = worldView * vec4(inPosition, 1.0);\n";
  s += "  gl_Position = projection * eyePosition;\n";
  s += "  vec3 P = eyePosition.xyz;\n";
  if (hasNormal) {
    s += "  vec3 N = mat3(normalMatrix) * inNormal;\n";
    if (flags & glkey::kNormalize) s += "  N = length(N) > 0.0 ? normalize(N) : N;\n";
  } else {
    s += "  vec3 N = vec3(0.0);\n";
  }
  s += std::string("  vec4 vertexDiffuse = ") + (hasDiffuse ? "inDiffuse" : "vec4(1.0)") + ";\n";
  s += std::string("  vec4 vertexSpecular = ") + (hasSpecular ? "inSpecular" : "vec4(0.0)") + ";\n";

  if (lighting) {
    const bool colorVertex = flags & glkey::kColorVertex;
    s += std::string("  vec4 md = ") +
         (colorVertex && hasDiffuse ? "inDiffuse" : "materialDiffuse") + ";\n";
    s += std::string("  vec4 ms = ") +
         (colorVertex && hasSpecular ? "inSpecular" : "materialSpecular") + ";\n";
    s += "  vec3 V = ";
    s += (flags & glkey::kLocalViewer) ? "length(P) > 0.0 ? -normalize(P) : vec3(0.0, 0.0, -1.0);\n"
                                       : "vec3(0.0, 0.0, -1.0);\n";
    s += R"(  vec3 ambientSum = vec3(0.0);
  vec3 diffuseSum = vec3(0.0);
  vec3 specularSum = vec3(0.0);
  for (int i = 0; i < 8; ++i) {
    float type = lightPosition[i].w;
    if (type == 0.0) continue;
    vec3 L;
    float attenuation = 1.0;
    if (type == 3.0) {
      L = -lightDirection[i].xyz;
    } else {
      vec3 toLight = lightPosition[i].xyz - P;
      float d = length(toLight);
      if (d > lightAttenuation[i].w) continue;
      L = d > 0.0 ? toLight / d : vec3(0.0, 0.0, -1.0);
      float denominator = lightAttenuation[i].x + lightAttenuation[i].y * d +
                          lightAttenuation[i].z * d * d;
      attenuation = denominator > 0.0 ? 1.0 / denominator : 1.0;
    }
    ambientSum += attenuation * lightAmbient[i].rgb;
    float NdotL = dot(N, L);
    if (NdotL > 0.0) {
      diffuseSum += attenuation * NdotL * lightDiffuse[i].rgb;
)";
    if (flags & glkey::kSpecularEnable) {
      s += R"(      vec3 H = normalize(L + V);
      float NdotH = dot(N, H);
      if (NdotH > 0.0) specularSum += attenuation * pow(NdotH, parameters.x) * lightSpecular[i].rgb;
)";
    }
    s += R"(    }
  }
  vec3 litColor = materialEmissive.rgb + materialAmbient.rgb * (globalAmbient.rgb + ambientSum) +
                  md.rgb * diffuseSum;
  vDiffuse = vec4(clamp(litColor, 0.0, 1.0), md.a);
  vSpecular = vec4(clamp(ms.rgb * specularSum, 0.0, 1.0), 1.0);
)";
  } else {
    s += "  vDiffuse = vertexDiffuse;\n  vSpecular = vertexSpecular;\n";
  }

  for (int i = 0; i < stages; ++i) {
    const StageKey st = stageOf(key, i);
    const std::string out = "vTexCoord" + std::to_string(i);
    if (!st.textured) {
      s += "  " + out + " = vec2(0.0);\n";
      continue;
    }
    const int set = st.source & 0x0F;
    const int generation = st.source >> 4;
    std::string input;
    switch (generation) {
      case 1:
        input = "vec4(N, 1.0)";
        break;
      case 2:
        input = "vec4(P, 1.0)";
        break;
      case 3:
        input = "vec4(reflect(length(P) > 0.0 ? normalize(P) : vec3(0.0, 0.0, 1.0), N), 1.0)";
        break;
      default:
        input = set < sets ? "vec4(inTexCoord" + std::to_string(set) + ", 1.0, 0.0)"
                           : "vec4(0.0, 0.0, 1.0, 0.0)";
        break;
    }
    const int count = st.transform & 7;
    if (count == 0) {
      s += "  " + out + " = " + input + ".xy;\n";
    } else {
      s += "  {\n    vec4 t = textureMatrix[" + std::to_string(i) + "] * " + input + ";\n";
      if (st.transform & 8) {
        const char* last = count == 1 ? "x" : count == 2 ? "y" : count == 3 ? "z" : "w";
        s += std::string("    t.xy = t.") + last + " != 0.0 ? t.xy / t." + last + " : t.xy;\n";
      }
      if (count == 1) s += "    t.y = 0.0;\n";
      s += "    " + out + " = t.xy;\n  }\n";
    }
  }
  s += "}\n";
  return s;
}

std::string GlShaderCache::fragmentSource(const GlProgramKey& key) {
  const std::uint8_t flags = key.bytes[1];
  const int stages = key.bytes[3];
  const std::string interpolation = (flags & glkey::kFlat) ? "flat " : "";

  std::string s = "#version 330 core\n";
  s += uniformBlockSource();
  s += interpolation + "in vec4 vDiffuse;\n" + interpolation + "in vec4 vSpecular;\n";
  for (int i = 0; i < stages; ++i) {
    s += "in vec2 vTexCoord" + std::to_string(i) + ";\n";
    s += "uniform sampler2D stageTexture" + std::to_string(i) + ";\n";
  }
  s += "out vec4 fragColor;\n";
  s += "void main() {\n  vec4 diffuse = vDiffuse;\n  vec4 specular = vSpecular;\n";
  s += "  vec4 current = diffuse;\n";
  for (int i = 0; i < stages; ++i) {
    const StageKey st = stageOf(key, i);
    const std::string n = std::to_string(i);
    if (stageSamples(st)) {
      s += "  vec4 tex" + n + " = " +
           (st.textured ? "texture(stageTexture" + n + ", vTexCoord" + n + ")" : "vec4(1.0)") +
           ";\n";
    } else {
      s += "  vec4 tex" + n + " = vec4(1.0);\n";
    }
    s += "  {\n";
    s += "    vec4 c = clamp(" +
         operation(st.colorOp, argument(st.colorArg1, i), argument(st.colorArg2, i), i) +
         ", 0.0, 1.0);\n";
    if (st.colorOp == D3DTOP_DOTPRODUCT3) {
      s += "    current = c;\n";
    } else if (st.alphaOp == D3DTOP_DISABLE) {
      s += "    current = vec4(c.rgb, current.a);\n";
    } else {
      s += "    vec4 a = clamp(" +
           operation(st.alphaOp, argument(st.alphaArg1, i), argument(st.alphaArg2, i), i) +
           ", 0.0, 1.0);\n";
      s += "    current = vec4(c.rgb, a.a);\n";
    }
    s += "  }\n";
  }
  if (flags & glkey::kSpecularEnable)
    s += "  current.rgb = clamp(current.rgb + specular.rgb, 0.0, 1.0);\n";
  if (key.bytes[2] != 0) {
    s += "  float alpha = floor(current.a * 255.0 + 0.5);\n";
    s += "  float reference = parameters.y;\n";
    s += std::string("  if (!(") + comparison(key.bytes[2]) + ")) discard;\n";
  }
  s += "  fragColor = current;\n}\n";
  return s;
}

GlShaderCache::~GlShaderCache() { freeGl(); }

void GlShaderCache::freeGl() {
  for (auto& [key, name] : programs)
    if (name) glDeleteProgram(name);
  programs.clear();
}

std::uint32_t GlShaderCache::program(const GlProgramKey& key) {
  auto it = programs.find(key);
  if (it != programs.end()) return it->second;
  std::uint32_t name = build(key);
  programs.emplace(key, name);
  return name;
}

namespace {
GLuint compile(GLenum type, const std::string& source) {
  GLuint shader = glCreateShader(type);
  const char* text = source.c_str();
  glShaderSource(shader, 1, &text, nullptr);
  glCompileShader(shader);
  GLint ok = 0;
  glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
  if (!ok) {
    GLint length = 0;
    glGetShaderiv(shader, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(std::size_t(length) + 1, 0);
    glGetShaderInfoLog(shader, length, nullptr, log.data());
    Logger::instance().line(2) << "Shader compilation failed: " << log.data() << std::endl;
    glDeleteShader(shader);
    return 0;
  }
  return shader;
}
}  // namespace

std::uint32_t GlShaderCache::linkProgram(const std::string& vertexSource,
                                         const std::string& fragmentSource) {
  GLuint vertex = compile(GL_VERTEX_SHADER, vertexSource);
  GLuint fragment = compile(GL_FRAGMENT_SHADER, fragmentSource);
  if (!vertex || !fragment) {
    if (vertex) glDeleteShader(vertex);
    if (fragment) glDeleteShader(fragment);
    return 0;
  }
  GLuint program = glCreateProgram();
  glAttachShader(program, vertex);
  glAttachShader(program, fragment);
  glLinkProgram(program);
  glDeleteShader(vertex);
  glDeleteShader(fragment);
  GLint ok = 0;
  glGetProgramiv(program, GL_LINK_STATUS, &ok);
  if (!ok) {
    GLint length = 0;
    glGetProgramiv(program, GL_INFO_LOG_LENGTH, &length);
    std::vector<char> log(std::size_t(length) + 1, 0);
    glGetProgramInfoLog(program, length, nullptr, log.data());
    Logger::instance().line(2) << "Shader link failed: " << log.data() << std::endl;
    glDeleteProgram(program);
    return 0;
  }
  return program;
}

std::uint32_t GlShaderCache::build(const GlProgramKey& key) {
  const GLuint program = linkProgram(vertexSource(key), fragmentSource(key));
  if (!program) return 0;
  GLuint block = glGetUniformBlockIndex(program, "FixedFunction");
  if (block != GL_INVALID_INDEX) glUniformBlockBinding(program, block, 0);
  glUseProgram(program);
  for (int i = 0; i < key.bytes[3]; ++i) {
    GLint location = glGetUniformLocation(program, ("stageTexture" + std::to_string(i)).c_str());
    if (location >= 0) glUniform1i(location, i);
  }
  return program;
}
