// Must not compile: the engine's include path has no Qt on it.
#include <QString>
