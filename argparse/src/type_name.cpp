#include <argparse/arg_parser.hpp>

#include <cstdlib>
#include <memory>

#if defined(__GNUG__)
#include <cxxabi.h>
#endif

namespace argparse {

std::string readable_type_name(const std::type_info& type) {
#if defined(__GNUG__)
  int status = 0;
  const std::unique_ptr<char, void (*)(void*)> demangled(
      abi::__cxa_demangle(type.name(), nullptr, nullptr, &status), std::free);
  if (status == 0 && demangled) {
    return demangled.get();
  }
#endif
  return type.name();
}

}  // namespace argparse
