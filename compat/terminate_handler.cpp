// What std::terminate does when nothing else was set: abort. The C++ runtime's default handler first
// prints the exception's demangled type to stderr, which a GUI program has nowhere to show, and
// brings the whole demangler (some 46 KB) into every program. Defining that handler here keeps the
// runtime's own, and with it the demangler, out of the link.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler() {
    std::abort();
}
} // namespace __gnu_cxx
