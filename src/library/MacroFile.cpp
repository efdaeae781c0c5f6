#include "library/MacroFile.h"

#include "library/MacroLibrary.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <unistd.h>
#include <vector>

namespace {

void PutInt(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    const char bytes[4] = {static_cast<char>(bits & 0xff), static_cast<char>((bits >> 8) & 0xff),
                           static_cast<char>((bits >> 16) & 0xff),
                           static_cast<char>((bits >> 24) & 0xff)};
    out.append(bytes, 4);
}

void PutText(std::string& out, const std::string& text) {
    PutInt(out, static_cast<int32_t>(text.size()));
    out.append(text);
}

// Bounds-checked reader over the file's bytes.
class Reader {
public:
    explicit Reader(std::string_view bytes) : data(bytes) {}

    bool AtEnd() const { return pos >= data.size(); }

    bool Int(int32_t& value) {
        if (data.size() - pos < 4)
            return false;
        uint32_t bits = 0;
        for (int i = 3; i >= 0; --i)
            bits = (bits << 8) | static_cast<unsigned char>(data[pos + static_cast<size_t>(i)]);
        value = static_cast<int32_t>(bits);
        pos += 4;
        return true;
    }

    bool Text(std::string& text) {
        int32_t length = 0;
        if (!Int(length) || length < 0 || static_cast<size_t>(length) > data.size() - pos)
            return false;
        text.assign(data.substr(pos, static_cast<size_t>(length)));
        pos += static_cast<size_t>(length);
        return true;
    }

private:
    std::string_view data;
    size_t pos = 0;
};

} // namespace

bool CMacroFile::ReadWholeFile(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < 0)
        return false;
    in.seekg(0, std::ios::beg);
    bytes.resize(static_cast<size_t>(size));
    if (size > 0 && !in.read(bytes.data(), size))
        return false;
    return true;
}

namespace {

bool WriteAll(int fd, const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t written = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        done += static_cast<size_t>(written);
    }
    return true;
}

} // namespace

CMacroFile::CMacroFile() = default;
CMacroFile::~CMacroFile() = default;

void CMacroFile::SetPaths(const std::string& directory) {
    if (directory.empty()) {
        libraryPath = kLibraryName;
        backupPath = kBackupName;
        return;
    }
    libraryPath = directory + "/" + kLibraryName;
    backupPath = directory + "/" + kBackupName;
}

bool CMacroFile::EncodeTo(const CMacroNode* root,
                          const std::function<bool(const std::string&)>& sink) const {
    constexpr size_t kChunk = 1 << 20;
    std::string out;
    out.reserve(kChunk + 4096);
    PutInt(out, formatValue);
    bool ok = true;
    // Only the root's own subtree is written, never siblings it may have.
    const CMacroNode* start = root;
    CMacroLibrary::ForEachPreOrder(const_cast<CMacroNode*>(start), [&](CMacroNode& node) {
        if (&node != start && node.parent == nullptr)
            return true;
        PutInt(out, kFormatValue);
        PutInt(out, node.id);
        PutInt(out, node.parentId);
        PutInt(out, node.kind);
        PutInt(out, node.runAsScript);
        PutInt(out, node.scheduleType);
        PutInt(out, node.unit);
        PutInt(out, node.frequency);
        PutInt(out, node.triggerPrefix);
        PutText(out, node.name);
        PutText(out, node.scriptFile);
        PutText(out, node.executable);
        PutText(out, node.triggerKey);
        PutText(out, node.extra);
        PutText(out, node.description);
        PutText(out, node.startDate);
        PutText(out, node.startTime);
        PutText(out, node.lastRunText);
        if (out.size() >= kChunk) {
            ok = sink(out);
            out.clear();
        }
        return ok;
    });
    return ok && (out.empty() || sink(out));
}

std::string CMacroFile::Encode(const CMacroNode* root) const {
    std::string all;
    EncodeTo(root, [&](const std::string& chunk) {
        all += chunk;
        return true;
    });
    return all;
}

int CMacroFile::Save(const CMacroNode* root) const {
    std::error_code ignored;
    std::filesystem::copy_file(libraryPath, backupPath,
                               std::filesystem::copy_options::overwrite_existing, ignored);

    const std::string temporary = libraryPath + ".new";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return 0;
    const bool written =
        EncodeTo(root, [fd](const std::string& chunk) { return WriteAll(fd, chunk); }) &&
        ::fsync(fd) == 0;
    const bool closed = ::close(fd) == 0;
    if (!written || !closed || std::rename(temporary.c_str(), libraryPath.c_str()) != 0) {
        std::remove(temporary.c_str());
        return 0;
    }
    return 1;
}

bool CMacroFile::DecodeRecords(std::string_view bytes, int32_t& header,
                               const std::function<bool(CMacro&&)>& record) {
    Reader in(bytes);
    header = 0;
    if (!in.Int(header))
        return true; // too short for a header: no records
    while (!in.AtEnd()) {
        CMacro macro;
        int32_t marker = 0;
        const bool complete =
            in.Int(marker) && in.Int(macro.id) && in.Int(macro.parentId) && in.Int(macro.kind) &&
            in.Int(macro.runAsScript) && in.Int(macro.scheduleType) && in.Int(macro.unit) &&
            in.Int(macro.frequency) && in.Int(macro.triggerPrefix) && in.Text(macro.name) &&
            in.Text(macro.scriptFile) && in.Text(macro.executable) && in.Text(macro.triggerKey) &&
            in.Text(macro.extra) && in.Text(macro.description) && in.Text(macro.startDate) &&
            in.Text(macro.startTime) && in.Text(macro.lastRunText);
        if (!complete || !record(std::move(macro)))
            return false;
    }
    return true;
}

bool CMacroFile::ReadRecords(const std::string& path, int32_t& header,
                             const std::function<bool(CMacro&&)>& record) {
    std::string bytes;
    if (!CMacroFile::ReadWholeFile(path, bytes))
        return false;
    return DecodeRecords(bytes, header, record);
}
