// What std::terminate does in the Windows executables: end the process at
// once. The GNU runtime's default handler demangles the type of the escaped
// exception and prints it to a standard error that a GUI program does not
// have; defining it here keeps that handler, and its demangler of some
// 45 KB, out of the executable. Linked into the executables directly, so
// that the runtime library's own definition is never pulled in.
#include <cstdlib>

#if defined(__GLIBCXX__)

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
#endif
