#include "crash/Symbols.h"

#include <cxxabi.h>
#include <elfutils/libdwfl.h>

#include <QFile>
#include <cstdlib>
#include <memory>

namespace crash {

namespace {

QString demangle(const char* name) {
  int status = 0;
  std::unique_ptr<char, decltype(&std::free)> plain(abi::__cxa_demangle(name, nullptr, nullptr, &status), &std::free);
  return QString::fromUtf8(status == 0 && plain ? plain.get() : name);
}

QByteArray buildIdOf(Dwfl_Module* module) {
  const unsigned char* bits = nullptr;
  GElf_Addr where = 0;
  const int n = dwfl_module_build_id(module, &bits, &where);
  return n > 0 ? QByteArray(reinterpret_cast<const char*>(bits), n).toHex() : QByteArray();
}

}  // namespace

QStringList functionNames(const CrashRecord& record) {
  QStringList names(record.frames.size());
  static char* debugPath = nullptr;  // the standard places for separate debug files
  static const Dwfl_Callbacks callbacks = {dwfl_build_id_find_elf, dwfl_standard_find_debuginfo,
                                           dwfl_offline_section_address, &debugPath};
  std::unique_ptr<Dwfl, decltype(&dwfl_end)> dwfl(dwfl_begin(&callbacks), &dwfl_end);
  if (!dwfl) return names;
  dwfl_report_begin(dwfl.get());
  for (const Module& m : record.modules) {
    if (m.buildId.isEmpty()) continue;
    const QByteArray path = QFile::encodeName(m.path);
    dwfl_report_elf(dwfl.get(), path.constData(), path.constData(), -1, m.start - m.vmaddr, false);
  }
  dwfl_report_end(dwfl.get(), nullptr, nullptr);
  for (qsizetype i = 0; i < record.frames.size(); ++i) {
    // A return address points after the call; the call itself is one byte back.
    const GElf_Addr pc = record.frames[i] - (i == 0 ? 0 : 1);
    Dwfl_Module* module = dwfl_addrmodule(dwfl.get(), pc);
    if (!module) continue;
    const Module* seen = nullptr;
    for (const Module& m : record.modules) {
      if (pc >= m.start && pc < m.end) seen = &m;
    }
    // A file rebuilt or updated since the crash would name the wrong functions.
    if (!seen || buildIdOf(module) != seen->buildId) continue;
    if (const char* name = dwfl_module_addrname(module, pc)) names[i] = demangle(name);
  }
  return names;
}

}  // namespace crash
