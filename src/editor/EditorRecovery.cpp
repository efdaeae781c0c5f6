#include "editor/EditorRecovery.h"

#include "library/AtomicFile.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>

namespace {
constexpr std::string_view kMagic = "Wingmate editor recovery 1\n";
constexpr std::string_view kEnd = "end\n";
constexpr std::string_view kUnedited = "unedited\n";

// Reads `word` then a space and a decimal count, then "\n".
bool ReadCount(std::string_view& rest, std::string_view word, size_t& count) {
    if (rest.substr(0, word.size()) != word || rest.size() <= word.size() ||
        rest[word.size()] != ' ')
        return false;
    rest.remove_prefix(word.size() + 1);
    const auto [end, problem] = std::from_chars(rest.data(), rest.data() + rest.size(), count);
    if (problem != std::errc() || end == rest.data() || end == rest.data() + rest.size() ||
        *end != '\n')
        return false;
    rest.remove_prefix(size_t(end - rest.data()) + 1);
    return true;
}

// stamp := "disk " SIZE " " MTIME-NS "\n"
bool ReadDiskStamp(std::string_view& rest, EditorRecoveryCopy::DiskStamp& stamp) {
    rest.remove_prefix(5);
    const char* end = rest.data() + rest.size();
    const auto [afterSize, sizeProblem] = std::from_chars(rest.data(), end, stamp.size);
    if (sizeProblem != std::errc() || afterSize == end || *afterSize != ' ')
        return false;
    const auto [afterTime, timeProblem] = std::from_chars(afterSize + 1, end, stamp.mtimeNs);
    if (timeProblem != std::errc() || afterTime == afterSize + 1 || afterTime == end ||
        *afterTime != '\n')
        return false;
    rest.remove_prefix(size_t(afterTime - rest.data()) + 1);
    stamp.known = true;
    return true;
}

// field := WORD " " COUNT "\n" COUNT-bytes "\n"
bool ReadField(std::string_view& rest, std::string_view word, std::string& value) {
    size_t count = 0;
    if (!ReadCount(rest, word, count) || rest.size() < count + 1 || rest[count] != '\n')
        return false;
    value.assign(rest.data(), count);
    rest.remove_prefix(count + 1);
    return true;
}

void AppendField(std::string& out, std::string_view word, const std::string& value) {
    out.append(word).append(" ").append(std::to_string(value.size())).append("\n");
    out.append(value).append("\n");
}

bool EndsWith(const std::string& text, std::string_view tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail.data(), tail.size()) == 0;
}
} // namespace

CEditorRecovery::CEditorRecovery(std::string home) : folder(std::move(home) + "/Recovery") {}

// The process id and the time keep names of earlier runs apart; the serial
// keeps this run's editors apart before their copies exist.
std::string CEditorRecovery::NewCopyPath() {
    const long pid = long(::getpid());
    for (;;) {
        const std::string name =
            folder + "/editor-" + std::to_string(pid) + "-" + std::to_string(++serial) + kSuffix;
        struct stat taken {};
        if (::lstat(name.c_str(), &taken) != 0)
            return name;
    }
}

// copy := MAGIC "format " ("utf8"|"latin1") " " ("lf"|"crlf") "\n"
//         field("path") field("text") [ "disk " SIZE " " MTIME-NS "\n" ] [ "unedited\n" ]
//         { field("decfile") field("dectext") [ field("decdisk") ] } "end\n"
// The lengths and the closing line tell a whole copy from one cut short.
std::string CEditorRecovery::Encode(const EditorRecoveryCopy& copy) {
    std::string out(kMagic);
    out += std::string("format ") + (copy.latin1 ? "latin1" : "utf8") +
           (copy.crlf ? " crlf\n" : " lf\n");
    AppendField(out, "path", copy.scriptPath);
    AppendField(out, "text", copy.text);
    if (copy.disk.known)
        out += "disk " + std::to_string(copy.disk.size) + " " + std::to_string(copy.disk.mtimeNs) +
               "\n";
    if (copy.textUnedited)
        out += kUnedited;
    for (const auto& declarations : copy.declarations) {
        AppendField(out, "decfile", declarations.fileName);
        AppendField(out, "dectext", declarations.text);
        if (declarations.diskKnown)
            AppendField(out, "decdisk", declarations.diskText);
    }
    out += kEnd;
    return out;
}

bool CEditorRecovery::Decode(const std::string& bytes, EditorRecoveryCopy& copy) {
    static const struct {
        std::string_view line;
        bool latin1;
        bool crlf;
    } kFormats[] = {{"format utf8 lf\n", false, false},
                    {"format utf8 crlf\n", false, true},
                    {"format latin1 lf\n", true, false},
                    {"format latin1 crlf\n", true, true}};
    std::string_view rest = bytes;
    if (rest.substr(0, kMagic.size()) != kMagic)
        return false;
    rest.remove_prefix(kMagic.size());
    const auto format = std::find_if(std::begin(kFormats), std::end(kFormats),
                                     [&](const auto& f) { return rest.starts_with(f.line); });
    if (format == std::end(kFormats))
        return false;
    rest.remove_prefix(format->line.size());
    EditorRecoveryCopy read;
    read.latin1 = format->latin1;
    read.crlf = format->crlf;
    if (!ReadField(rest, "path", read.scriptPath) || !ReadField(rest, "text", read.text))
        return false;
    if (rest.starts_with("disk ") && !ReadDiskStamp(rest, read.disk))
        return false;
    if (rest.starts_with(kUnedited)) {
        read.textUnedited = true;
        rest.remove_prefix(kUnedited.size());
    }
    while (rest != kEnd) {
        EditorRecoveryCopy::Declarations declarations;
        if (!ReadField(rest, "decfile", declarations.fileName) ||
            !ReadField(rest, "dectext", declarations.text))
            return false;
        if (rest.starts_with("decdisk ")) {
            if (!ReadField(rest, "decdisk", declarations.diskText))
                return false;
            declarations.diskKnown = true;
        }
        read.declarations.push_back(std::move(declarations));
    }
    read.file = copy.file;
    copy = std::move(read);
    return true;
}

bool CEditorRecovery::Write(const EditorRecoveryCopy& copy, std::string* error) const {
    std::error_code made;
    std::filesystem::create_directories(folder, made);
    if (made) {
        if (error)
            *error = "Could not make the folder " + folder + ": " + made.message();
        return false;
    }
    // Only the user may read what they typed.
    AtomicWriteOptions options;
    options.newFileMode = 0600;
    return WriteFileAtomically(copy.file, Encode(copy), error, options);
}

void CEditorRecovery::Remove(const std::string& file) {
    if (!file.empty())
        std::remove(file.c_str());
}

std::vector<EditorRecoveryCopy> CEditorRecovery::List(std::vector<std::string>* unreadable) const {
    std::vector<EditorRecoveryCopy> copies;
    std::error_code error;
    std::filesystem::directory_iterator entry(folder, error), end;
    for (; !error && entry != end; entry.increment(error)) {
        const std::string path = entry->path().string();
        std::error_code kind;
        if (!EndsWith(path, kSuffix) || !entry->is_regular_file(kind))
            continue;
        EditorRecoveryCopy copy;
        copy.file = path;
        std::string bytes;
        if (ReadRegularFile(path, bytes, nullptr) && Decode(bytes, copy))
            copies.push_back(std::move(copy));
        else if (unreadable)
            unreadable->push_back(path);
    }
    std::sort(copies.begin(), copies.end(),
              [](const auto& a, const auto& b) { return a.file < b.file; });
    return copies;
}

std::string CEditorRecovery::KeepAside(const std::string& file, int64_t now, std::string* error) {
    const std::string stem = file + "-" + LocalTimeStamp(now);
    for (int n = 1; n <= 1000; ++n) {
        const std::string name = n == 1 ? stem : stem + "-" + std::to_string(n);
        struct stat taken {};
        if (::lstat(name.c_str(), &taken) == 0)
            continue;
        if (std::rename(file.c_str(), name.c_str()) == 0)
            return name;
        if (error)
            *error = "Could not rename " + file + " to " + name + ": " + std::strerror(errno);
        return "";
    }
    if (error)
        *error = "No free name to keep " + file + " aside";
    return "";
}
