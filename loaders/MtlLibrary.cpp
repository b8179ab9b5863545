#include "loaders/MtlLibrary.h"

#include <array>
#include <cctype>

#include "foundation/Path.h"
#include "image/TextureManager.h"
#include "loaders/TextScanner.h"

namespace {

// Options an exporter may write before a map's file name, with how many words follow each.
// -o, -s and -t take one to three numbers, -mm two.
struct MapOption {
  std::string_view name;
  int maxArguments;
  bool numeric;  // arguments are numbers, so a shorter list ends at the first other word
};
constexpr std::array<MapOption, 13> kMapOptions = {{{"-blendu", 1, false},
                                                    {"-blendv", 1, false},
                                                    {"-boost", 1, false},
                                                    {"-cc", 1, false},
                                                    {"-clamp", 1, false},
                                                    {"-bm", 1, false},
                                                    {"-imfchan", 1, false},
                                                    {"-type", 1, false},
                                                    {"-texres", 1, false},
                                                    {"-mm", 2, true},
                                                    {"-o", 3, true},
                                                    {"-s", 3, true},
                                                    {"-t", 3, true}}};

bool looksNumeric(std::string_view word) {
  if (word.empty()) return false;
  const char c = word[0];
  return std::isdigit(static_cast<unsigned char>(c)) || c == '-' || c == '+' || c == '.';
}

const MapOption* findOption(std::string_view word) {
  for (const MapOption& option : kMapOptions) {
    if (option.name == word) return &option;
  }
  return nullptr;
}

// The file name of a map statement: what is left after the options.
std::string_view mapFileName(std::string_view rest) {
  for (;;) {
    std::string_view ahead = rest;
    const MapOption* option = findOption(takeWord(ahead));
    if (!option) return trimBlanks(rest);
    for (int i = 0; i < option->maxArguments; ++i) {
      std::string_view afterArgument = ahead;
      const std::string_view argument = takeWord(afterArgument);
      if (argument.empty() || (option->numeric && !looksNumeric(argument))) break;
      ahead = afterArgument;
    }
    rest = ahead;
  }
}

}  // namespace

bool MtlLibrary::load(const std::string& path) {
  std::string text;
  if (!readWholeFile(path, text)) return false;
  loadText(text, path);
  return true;
}

void MtlLibrary::loadText(std::string_view text, const std::string& path) {
  const std::string directory = Path(path).directory();
  TextScanner scanner(text);
  Material* current = nullptr;
  std::string_view line;
  while (scanner.nextLine(line)) {
    const std::string_view keyword = takeWord(line);
    if (keyword == "newmtl") {
      RefPtr<Material> material = new Material(Material::kPlain);
      current = material.get();
      materials[std::string(trimBlanks(line))] = std::move(material);
    } else if (!current) {
      continue;
    } else if (keyword == "Kd") {
      std::string_view values = line;
      const std::string_view first = takeWord(values);
      // "Kd spectral file" and "Kd xyz x y z" name colours this engine cannot show.
      if (first.empty() || !looksNumeric(first)) continue;
      const float r = wordToFloat(first);
      const std::string_view g = takeWord(values);
      const std::string_view b = takeWord(values);
      // A single number is a grey, as the format defines.
      current->setColor(Color(r, g.empty() ? r : wordToFloat(g), b.empty() ? r : wordToFloat(b), 1.0f));
    } else if (keyword == "map_Kd") {
      current->setTexture(0, loadTexture(line, directory));
    }
  }
}

RefPtr<Texture> MtlLibrary::loadTexture(std::string_view statement, const std::string& directory) const {
  if (!textures) return nullptr;
  const std::string fileName = Path(std::string(mapFileName(statement))).fileName();
  if (fileName.empty()) return nullptr;
  return textures->createFromFile(directory + fileName);
}

Material* MtlLibrary::find(const std::string& name) const {
  const auto found = materials.find(name);
  return found == materials.end() ? nullptr : found->second.get();
}
