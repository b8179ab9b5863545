#pragma once
#include <string>
#include <vector>

// One line of a context's key help: the keys or mouse action ("W / S", "Left drag") and what it
// does ("raise / lower the waves").
struct KeyHelp {
  std::string keys;
  std::string action;
};

// The least work a scene's update could do, done by itself: the benchmark runs it beside every
// measured update, in the same frames, so that the update's cost reads against it however busy
// the machine is.
class UpdateFloor {
 public:
  virtual ~UpdateFloor() = default;
  // What the floor is, for the benchmark's report.
  virtual std::string description() const = 0;
  // Readies the inputs of the next run; not timed.
  virtual void prepare() {}
  // The timed work.
  virtual void run() = 0;
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

  // The floor under this context's update, or null when it names none.
  virtual UpdateFloor* updateFloor() { return nullptr; }

  const std::string& name() const { return contextName; }

 private:
  std::string contextName;
};
