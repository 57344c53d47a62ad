// How the MinGW build's C++ library reports a string or a container grown past its largest size,
// a length it cannot take or an index past the end. The library's own versions put a message
// into a std::length_error or std::out_of_range; those classes hold it in a copy-on-write
// string, and they come with that string's whole template, their formatting and, by way of the
// string, std::random_device: some 50 KB of a program file that must stay under 576 KB, for
// messages nobody reads. Every place of ours that catches takes (...) or std::bad_alloc, and to
// the program each of these means "too much to hold": std::bad_alloc it is.
//
// Only the ones the program calls are here. A new one (std::stoi's invalid_argument, say) brings
// the library's own file, and the linker names the function defined twice: add it here then, or
// catch the library's exception where it is thrown.
#include <new>
#include <string>

namespace std {

void __throw_bad_alloc() { throw bad_alloc(); }
void __throw_bad_array_new_length() { throw bad_array_new_length(); }
void __throw_length_error(const char*) { throw bad_alloc(); }
void __throw_logic_error(const char*) { throw bad_alloc(); }
void __throw_out_of_range(const char*) { throw bad_alloc(); }
void __throw_out_of_range_fmt(const char*, ...) { throw bad_alloc(); }

}  // namespace std
