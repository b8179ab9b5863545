#pragma once
#include <string>
#include <vector>

// One line of a context's key help: the keys or mouse action ("W / S", "Left drag") and what it
// does ("raise / lower the waves").
struct KeyHelp {
  std::string keys;
  std::string action;
};

// One demo scene of the test-bed. The application initialises every context once at start-up,
// updates and renders only the current one each frame, and releases all of them at shut-down.
// A context is not told when it becomes current or stops being current.
class Context {
 public:
  explicit Context(const char* contextName) : contextName(contextName ? contextName : "") {}
  virtual ~Context() = default;

  Context(const Context&) = delete;
  Context& operator=(const Context&) = delete;

  // Loads assets and builds the scene; device resources may be created here, not in the constructor.
  virtual void init() = 0;
  // Once per frame while current, after time, statistics, mouse and keyboard were updated.
  virtual void update() = 0;
  // Once per frame while current, between the renderer's beginFrame and the statistics overlay.
  virtual void render() = 0;
  // Once at shut-down, before the renderer is destroyed.
  virtual void release() = 0;

  // The keys and mouse actions this context answers to, shown by the F1 overlay and listed by
  // --keys. Available from construction on. A context without keys of its own keeps the empty
  // default, which the overlay shows as such.
  virtual std::vector<KeyHelp> keyHelp() const { return {}; }

  const std::string& name() const { return contextName; }

 private:
  std::string contextName;
};
