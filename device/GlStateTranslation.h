#pragma once
#include <epoxy/gl.h>

#include <cstdint>

namespace glstate {

// The device's state codes as OpenGL names them. Unknown codes map to the state's default
// (GL_ONE, GL_ALWAYS, GL_KEEP, GL_REPEAT).
GLenum blendFactor(std::uint32_t blend);
GLenum compareFunction(std::uint32_t cmp);
GLenum stencilOperation(std::uint32_t op);
GLint addressMode(std::uint32_t address);

// GL primitive and the number of vertices for a primitive count; false for unknown types. The
// count is 64 bits wide so a huge primitive count cannot wrap round to one that fits the buffers.
bool primitiveShape(std::uint32_t type, std::uint64_t count, GLenum& mode,
                    std::uint64_t& vertices);

}  // namespace glstate
