// MakeRegistryFragment: writes QorTreeView.ocx's registration as a WiX
// fragment (one component: the file and its Registry table rows), recorded
// by the same code that the module's per-user registration runs, so the two
// cannot differ. Usage: MakeRegistryFragment QorTreeView.ocx OUT.wxs x64|x86
// Run at build time under Wine; always an x64 program, the control of either
// architecture is read as data.
#include <windows.h>
#include <cstdio>
#include <string>
#include <vector>
#include "framework/CClassRegistry.h"
#include "ids/QorTreeViewIds.h"

namespace {
// Text for an XML attribute.
std::string Xml(const std::wstring& text) {
  std::string out;
  for (wchar_t c : text) {
    switch (c) {
      case L'&':
        out += "&amp;";
        break;
      case L'<':
        out += "&lt;";
        break;
      case L'>':
        out += "&gt;";
        break;
      case L'"':
        out += "&quot;";
        break;
      default:
        if (c < 0x80) {
          out += static_cast<char>(c);
        } else {
          char buf[16];
          snprintf(buf, sizeof buf, "&#%u;", static_cast<unsigned>(c));
          out += buf;
        }
    }
  }
  return out;
}
}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 4 || (wcscmp(argv[3], L"x64") != 0 && wcscmp(argv[3], L"x86") != 0)) {
    fprintf(stderr, "usage: MakeRegistryFragment QorTreeView.ocx OUT.wxs x64|x86\n");
    return 2;
  }
  const bool x64 = wcscmp(argv[3], L"x64") == 0;
  HMODULE module = LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    fprintf(stderr, "MakeRegistryFragment: cannot read %ls (error %lu)\n", argv[1], GetLastError());
    return 1;
  }
  // The module's path and folder as Windows Installer names them once installed.
  std::vector<RegValue> values;
  CClassRegistry registry(module, argv[1], L"[#QorTreeView.ocx]", L"[QORTREEVIEWDIR]", &values);
  const bool ok = registry.RegisterTypeLib() &&
                  registry.RegisterControlClass(qortreeview::kControlClass) &&
                  registry.RegisterPropertyPageClass(CLSID_QorTreeViewPropPage, IDS_PROPPAGE_NAME);
  registry.Close();
  FreeLibrary(module);
  if (!ok) {
    fprintf(stderr, "MakeRegistryFragment: the registration of %ls could not be read\n", argv[1]);
    return 1;
  }

  FILE* out = _wfopen(argv[2], L"wb");
  if (!out) {
    fprintf(stderr, "MakeRegistryFragment: cannot write %ls\n", argv[2]);
    return 1;
  }
  fprintf(
      out,
      "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
      "<!-- QorTreeView.ocx (%s) and its registration, written by the build: the file and\n"
      "     the registry values that registering it writes, per user (HKCU\\Software\\Classes)\n"
      "     or, with ALLUSERS=1, per machine (HKLM\\Software\\Classes). Needs a Directory\n"
      "     QORTREEVIEWDIR and the define QorTreeViewOcx, the path of the file to take; the\n"
      "     component's GUID follows from where it is installed. -->\n"
      "<Wix xmlns=\"http://schemas.microsoft.com/wix/2006/wi\">\n"
      "  <Fragment>\n"
      "    <ComponentGroup Id=\"QorTreeViewControl\">\n"
      "      <ComponentRef Id=\"QorTreeView.ocx\"/>\n"
      "    </ComponentGroup>\n"
      "    <DirectoryRef Id=\"QORTREEVIEWDIR\">\n"
      "      <Component Id=\"QorTreeView.ocx\" Guid=\"*\"%s>\n"
      "        <File Id=\"QorTreeView.ocx\" Name=\"QorTreeView.ocx\" "
      "Source=\"$(var.QorTreeViewOcx)\" KeyPath=\"yes\"/>\n",
      x64 ? "x64" : "x86", x64 ? " Win64=\"yes\"" : "");
  for (const RegValue& v : values) {
    fprintf(out, "        <RegistryValue Root=\"HKMU\" Key=\"Software\\Classes\\%s\"",
            Xml(v.key).c_str());
    if (!v.name.empty()) fprintf(out, " Name=\"%s\"", Xml(v.name).c_str());
    fprintf(out, " Type=\"string\" Value=\"%s\"/>\n", Xml(v.value).c_str());
  }
  fprintf(out,
          "      </Component>\n"
          "    </DirectoryRef>\n"
          "  </Fragment>\n"
          "</Wix>\n");
  return fclose(out) == 0 ? 0 : 1;
}
