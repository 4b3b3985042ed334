#include "UninstallInfo.h"

#include <cwchar>
#include <map>
#include <new>

void InvertUninstallInfoBytes(void* data, size_t size) {
  unsigned char* p = static_cast<unsigned char*>(data);
  // Whole 64-byte blocks a word at a time, then the tail byte by byte.
  while (size >= 64) {
    for (int i = 0; i < 64; i += static_cast<int>(sizeof(size_t))) {
      size_t word;
      memcpy(&word, p + i, sizeof word);
      word = ~word;
      memcpy(p + i, &word, sizeof word);
    }
    p += 64;
    size -= 64;
  }
  while (size > 0) {
    *p = static_cast<unsigned char>(~*p);
    ++p;
    --size;
  }
}

bool MakeUninstallInfoPath(const wchar_t* uninstallerPath, wchar_t* output,
                           size_t capacity) {
  if (uninstallerPath == nullptr || output == nullptr || capacity == 0) return false;
  size_t length = wcslen(uninstallerPath);
  size_t stem = length;
  for (size_t i = length; i > 0; --i) {
    wchar_t c = uninstallerPath[i - 1];
    if (c == L'\\' || c == L'/' || c == L':') break;
    if (c == L'.') {
      stem = i - 1;
      break;
    }
  }
  const size_t extension = wcslen(UNINSTALL_INFO_EXTENSION);
  if (stem + extension + 1 > capacity) return false;
  wmemmove(output, uninstallerPath, stem);
  wmemcpy(output + stem, UNINSTALL_INFO_EXTENSION, extension + 1);
  return true;
}

CUninstallInfoWriter::~CUninstallInfoWriter() {
  if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
}

UninstallInfoResult CUninstallInfoWriter::Create(const wchar_t* path) {
  if (file_ != INVALID_HANDLE_VALUE) {
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
  }
  bytes_ = 0;
  failed_ = false;
  digest_.reset(new (std::nothrow) vesmarin::Sha256());
  error_ = 0;
  file_ = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                      FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file_ != INVALID_HANDLE_VALUE) return kUninstallInfoOk;
  error_ = GetLastError();
  return kUninstallInfoCreateFailed;
}

UninstallInfoResult CUninstallInfoWriter::WriteLine(const wchar_t* text) {
  if (file_ == INVALID_HANDLE_VALUE) return kUninstallInfoWriteFailed;
  if (text == nullptr) text = L"";
  size_t length = wcscspn(text, L"\r\n");
  const size_t bytes = (length + 2) * sizeof(wchar_t);
  if (bytes > 0x7FFFFFF0u) {
    failed_ = true;
    return kUninstallInfoNoMemory;
  }
  wchar_t* line = static_cast<wchar_t*>(HeapAlloc(GetProcessHeap(), 0, bytes));
  if (line == nullptr) {
    failed_ = true;
    return kUninstallInfoNoMemory;
  }
  wmemcpy(line, text, length);
  line[length] = L'\r';
  line[length + 1] = L'\n';
  InvertUninstallInfoBytes(line, bytes);
  DWORD written = 0;
  BOOL ok = WriteFile(file_, line, static_cast<DWORD>(bytes), &written, nullptr);
  // A short write leaves no error of its own: the disk took no more.
  if ((!ok || written != bytes) && !error_) error_ = ok ? ERROR_DISK_FULL : GetLastError();
  if (digest_) digest_->Add(line, written);
  HeapFree(GetProcessHeap(), 0, line);
  bytes_ += written;
  if (!ok || written != bytes) {
    failed_ = true;
    return kUninstallInfoWriteFailed;
  }
  return kUninstallInfoOk;
}

bool CUninstallInfoWriter::Digest(std::wstring* hex) {
  return !failed_ && digest_ && digest_->Finish(hex);
}

UninstallInfoResult CUninstallInfoWriter::WriteEntry(const wchar_t* key, const wchar_t* value) {
  std::wstring line(key ? key : L"");
  line += L'=';
  if (value) line += value;
  return WriteLine(line.c_str());
}

UninstallInfoResult CUninstallInfoWriter::WriteNumbered(unsigned index, const wchar_t* value) {
  wchar_t number[16];
  wsprintfW(number, L"%u", index);
  return WriteEntry(number, value);
}

UninstallInfoResult CUninstallInfoWriter::Close() {
  if (file_ == INVALID_HANDLE_VALUE) return kUninstallInfoWriteFailed;
  BOOL closed = CloseHandle(file_);
  if (!closed && !error_) error_ = GetLastError();
  file_ = INVALID_HANDLE_VALUE;
  return closed && !failed_ ? kUninstallInfoOk : kUninstallInfoWriteFailed;
}

namespace {

// Writes the lines one after the other; the first failure sticks.
class Composer {
 public:
  explicit Composer(CUninstallInfoWriter& writer) : writer_(writer) {}
  void Line(const wchar_t* text) {
    if (result_ == kUninstallInfoOk) result_ = writer_.WriteLine(text);
  }
  void Entry(const wchar_t* key, const std::wstring& value) {
    if (result_ == kUninstallInfoOk) result_ = writer_.WriteEntry(key, value.c_str());
  }
  void Numbered(unsigned index, const std::wstring& value) {
    if (result_ == kUninstallInfoOk) result_ = writer_.WriteNumbered(index, value.c_str());
  }
  UninstallInfoResult result() const { return result_; }

 private:
  CUninstallInfoWriter& writer_;
  UninstallInfoResult result_ = kUninstallInfoOk;
};

}  // namespace

UninstallInfoResult WriteUninstallInfoFile(const wchar_t* path,
                                           const UninstallInfoContent& content,
                                           unsigned long long* fileSize, std::wstring* digest,
                                           DWORD* systemError) {
  CUninstallInfoWriter writer;
  UninstallInfoResult result = writer.Create(path);
  if (fileSize) *fileSize = 0;
  if (systemError) *systemError = writer.SystemError();
  if (result != kUninstallInfoOk) return result;

  Composer out(writer);
  out.Line(L"[Options]");
  if (content.AutoUninstIni) out.Line(L"AutoUninstIni=1");
  if (content.AutoUninstDat) out.Line(L"AutoUninstDat=1");
  if (content.HideLogButton) out.Line(L"HollmereHideLogButton=1");
  if (!content.ExtModuleFile.empty()) out.Entry(L"ExtModuleFile", content.ExtModuleFile);
  if (!content.PreProcessFile.empty()) out.Entry(L"PreProcessFile", content.PreProcessFile);
  if (!content.PreProcessArg.empty()) out.Entry(L"PreProcessArg", content.PreProcessArg);
  if (content.UninstallRebootable) out.Line(L"UninstallRebootable=1");
  out.Line(L"DeleteSubFolders=0");
  out.Entry(L"UninstallKey", content.UninstallKey);

  out.Line(L"[Files]");
  unsigned index = 0;
  for (auto it = content.CreatedPaths.rbegin(); it != content.CreatedPaths.rend(); ++it) {
    out.Numbered(index++, *it);
  }

  static const wchar_t* const kRegistrySections[] = {
      L"[Registry_CLASSES_ROOT]", L"[Registry_CURRENT_USER]", L"[Registry_LOCAL_MACHINE]",
      L"[Registry_USERS]"};
  size_t next = 0;
  for (int root = 0; root < 4; ++root) {
    out.Line(kRegistrySections[root]);
    while (next < content.RegistryRecords.size()) {
      const std::wstring& record = content.RegistryRecords[next];
      if (record.empty() || record[0] != static_cast<wchar_t>(L'0' + root)) break;
      out.Line(record.c_str() + 1);
      ++next;
    }
  }

  if (content.HasRegServerList) {
    out.Line(L"[RegServer]");
    index = 0;
    for (const std::wstring& server : content.RegServers) out.Numbered(index++, server);
  }

  out.Line(L"[Group]");
  out.Line(content.CommonGroup ? L"CommonGroup=1" : L"CommonGroup=0");
  if (!content.GroupName.empty()) out.Entry(L"0", content.GroupName);

  result = out.result();
  UninstallInfoResult closed = writer.Close();
  if (fileSize) *fileSize = writer.BytesWritten();
  if (systemError) *systemError = writer.SystemError();
  if (result == kUninstallInfoOk && closed == kUninstallInfoOk && digest &&
      !writer.Digest(digest))
    digest->clear();
  return result != kUninstallInfoOk ? result : closed;
}

bool ReadUninstallInfoText(const wchar_t* path, std::wstring* text) {
  if (text == nullptr) return false;
  text->clear();
  HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  LARGE_INTEGER size{};
  bool ok = GetFileSizeEx(file, &size) && size.QuadPart >= 0 &&
            size.QuadPart <= 16 * 1024 * 1024 && (size.QuadPart % 2) == 0;
  if (ok && size.QuadPart > 0) {
    text->resize(static_cast<size_t>(size.QuadPart / 2));
    DWORD read = 0;
    ok = ReadFile(file, &(*text)[0], static_cast<DWORD>(size.QuadPart), &read, nullptr) &&
         read == static_cast<DWORD>(size.QuadPart);
    if (ok) InvertUninstallInfoBytes(&(*text)[0], read);
  }
  CloseHandle(file);
  if (!ok) text->clear();
  return ok;
}

UninstallInfoFiles ParseUninstallInfoFiles(const std::wstring& text) {
  UninstallInfoFiles parsed;
  std::map<unsigned long, std::wstring> files;
  enum { kOther, kOptions, kFiles } section = kOther;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    if (line.empty()) continue;
    if (line[0] == L'[') {
      section = _wcsicmp(line.c_str(), L"[Options]") == 0 ? kOptions
                : _wcsicmp(line.c_str(), L"[Files]") == 0 ? kFiles
                                                          : kOther;
      continue;
    }
    const size_t equals = line.find(L'=');
    if (equals == std::wstring::npos) continue;
    const std::wstring key = line.substr(0, equals);
    if (section == kOptions && _wcsicmp(key.c_str(), L"UninstallKey") == 0) {
      parsed.UninstallKey = line.substr(equals + 1);
    } else if (section == kFiles && !key.empty() && key.size() <= 9 &&
               key.find_first_not_of(L"0123456789") == std::wstring::npos) {
      files.emplace(wcstoul(key.c_str(), nullptr, 10), line.substr(equals + 1));
    }
  }
  for (unsigned long index = 0;; ++index) {
    auto entry = files.find(index);
    if (entry == files.end() || entry->second.empty()) break;
    parsed.Files.push_back(entry->second);
  }
  return parsed;
}
