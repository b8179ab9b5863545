#pragma once
#include <cstdint>
#include <istream>
#include <map>
#include <string>

// One named frame range of a character's "animation.cfg".
struct Md3Animation {
  std::uint32_t firstFrame = 0;
  std::uint32_t numFrames = 0;
  // How many of the last frames repeat; 0 plays the animation once.
  std::uint32_t loopingFrames = 0;
  std::uint32_t fps = 0;

  friend bool operator==(const Md3Animation&, const Md3Animation&) = default;
};

using Md3AnimationTable = std::map<std::string, Md3Animation>;

// The legs and torso tables of an "animation.cfg", frame numbers as the parts' own files count
// them. Entries are not checked against any model here: players clamp them to the frames they have.
struct Md3AnimationConfig {
  Md3AnimationTable legs;
  Md3AnimationTable torso;

  // Reads the file line by line. A line counts only when it starts with a digit and holds four
  // unsigned numbers (first frame, frame count, looping frames, frames per second) followed by a
  // name, normally after "//"; any other line, including one with a malformed number, is skipped.
  // "BOTH_" names go to both tables, "LEGS_" names to the legs, "TORSO_" names to the torso.
  // The file numbers the legs frames after the torso frames although they start where the torso
  // frames start in their own file, so at the end every "LEGS_" entry is moved back by
  // LEGS_WALKCR's first frame minus TORSO_GESTURE's (a missing one of the two counts as a zero
  // entry and is added).
  static Md3AnimationConfig parse(std::istream& in);
  static Md3AnimationConfig parse(const std::string& text);
};
