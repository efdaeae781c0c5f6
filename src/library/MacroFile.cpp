#include "library/MacroFile.h"

#include "library/AtomicFile.h"
#include "library/MacroLibrary.h"
#include "library/RecoveryFile.h"

#include <ctime>
#include <map>
#include <sys/stat.h>

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
    size_t Position() const { return pos; }

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

bool CMacroFile::ReadWholeFile(const std::string& path, std::string& bytes, std::string* error) {
    return ReadRegularFile(path, bytes, error);
}

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

bool CMacroFile::BytesLoad(std::string_view bytes) {
    CMacroLibrary scratch;
    return scratch.LoadFromBytes(bytes) == 1;
}

std::string CMacroFile::EncodeExtras(const CMacroNode* root) {
    std::map<int32_t, MacroExtras> entries;
    CMacroLibrary::ForEachPreOrder(const_cast<CMacroNode*>(root), [&](CMacroNode& node) {
        if (&node != root && node.parent == nullptr)
            return true;
        if (!node.extras.Empty())
            entries.emplace(node.id, node.extras);
        return true;
    });
    return entries.empty() ? std::string() : EncodeExtrasFile(entries);
}

bool CMacroFile::WriteExtras(const CMacroNode* root, const std::string& path,
                             std::string* error) const {
    const std::string target = ExtrasPath(path);
    std::string text = EncodeExtras(root);
    if (text.empty()) {
        struct stat there {};
        if (::lstat(target.c_str(), &there) != 0)
            return true;
        text = EncodeExtrasFile({});
    }
    AtomicWriteOptions options;
    options.newFileMode = 0600;
    return WriteFileAtomically(target, text, error, options);
}

// A new library file is the user's alone; an existing one keeps its mode.
int CMacroFile::WriteTo(const CMacroNode* root, const std::string& path, std::string* error) const {
    AtomicWriteOptions options;
    options.newFileMode = 0600;
    const bool written = WriteFileAtomically(
        path, [&](const ChunkWriter& write) { return EncodeTo(root, write); }, error, options);
    if (!written)
        return 0;
    if (WriteExtras(root, path, error))
        return 1;
    if (error)
        *error =
            "The macros were written, but not their abbreviations and window filters: " + *error;
    return 0;
}

int RemoveStaleLibraryTemporaries(const std::string& home) {
    const std::string library = home + "/" + CMacroFile::kLibraryName;
    int removed = 0;
    for (const std::string& file :
         {library, home + "/" + CMacroFile::kBackupName, library + CRecoveryFile::kSuffix})
        removed +=
            RemoveStaleTemporaries(file) + RemoveStaleTemporaries(CMacroFile::ExtrasPath(file));
    return removed;
}

namespace {

mode_t PermissionsOf(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0600;
}

} // namespace

// Copies a file that did not load to "<path>.damaged-<stamp>", or "-2",
// "-3"... after it when that name is taken: a kept file is never replaced.
bool CMacroFile::KeepAside(const std::string& path, std::string_view bytes, mode_t mode,
                           std::string& keptAs, std::string& error) const {
    static const CSystemClock systemClock;
    const IClock& now = clock ? *clock : systemClock;
    const std::string stem = path + ".damaged-" + LocalTimeStamp(now.Now());
    AtomicWriteOptions options;
    options.newFileMode = mode;
    options.noReplace = true;
    for (int n = 1; n <= 1000; ++n) {
        const std::string name = n == 1 ? stem : stem + "-" + std::to_string(n);
        struct stat taken {};
        if (::lstat(name.c_str(), &taken) == 0)
            continue;
        if (WriteFileAtomically(name, bytes, &error, options)) {
            keptAs = name;
            return true;
        }
        if (::lstat(name.c_str(), &taken) != 0)
            break; // a real failure, not a name taken meanwhile
    }
    return false;
}

void CMacroFile::BackUpExtras(const std::string& extras, mode_t mode, SaveReport& report) const {
    const std::string target = ExtrasPath(backupPath);
    struct stat there {};
    if (extras.empty() && ::lstat(target.c_str(), &there) != 0)
        return;
    AtomicWriteOptions options;
    options.newFileMode = mode;
    std::string error;
    if (!WriteFileAtomically(target, extras.empty() ? EncodeExtrasFile({}) : extras, &error,
                             options) &&
        report.backupError.empty())
        report.backupError = error;
}

int CMacroFile::Save(const CMacroNode* root, SaveReport* report) const {
    SaveReport local;
    SaveReport& out = report ? *report : local;
    out = SaveReport{};

    // The extras file is read first: one that cannot be read is not
    // replaced, so nothing is written at all.
    const std::string extrasPath = ExtrasPath(libraryPath);
    std::string extras;
    std::string readError;
    bool missing = false;
    if (!ReadRegularFile(extrasPath, extras, &readError, &missing) && !missing) {
        out.error = "The file of abbreviations and window filters is not replaced: " + readError;
        return 0;
    }
    const ExtrasFileRead extrasRead = DecodeExtrasFile(extras);
    const bool extrasDamaged = !extras.empty() && !extrasRead.damage.empty();
    const mode_t extrasMode = PermissionsOf(extrasPath);

    std::string current;
    missing = false;
    if (ReadRegularFile(libraryPath, current, &readError, &missing)) {
        const mode_t mode = PermissionsOf(libraryPath);
        if (BytesLoad(current)) {
            // The backup only ever holds a library that loads, and the
            // extras that belong to it.
            AtomicWriteOptions options;
            options.newFileMode = mode;
            if (WriteFileAtomically(backupPath, current, &out.backupError, options))
                BackUpExtras(extrasDamaged ? std::string() : extras, extrasMode, out);
        } else {
            std::string error;
            if (!KeepAside(libraryPath, current, mode, out.keptAside, error)) {
                out.error = "The library file " + libraryPath +
                            " does not load and could not be kept aside, so it is not "
                            "replaced. " +
                            error;
                return 0;
            }
            // Its extras go with it, under the same name, so the pair
            // still loads (or salvages) together.
            if (!extras.empty()) {
                AtomicWriteOptions options;
                options.newFileMode = extrasMode;
                options.noReplace = true;
                if (!WriteFileAtomically(ExtrasPath(out.keptAside), extras, &error, options)) {
                    out.error = "The extras of the damaged library could not be kept aside, "
                                "so they are not replaced. " +
                                error;
                    return 0;
                }
            }
        }
    } else if (!missing) {
        out.error = "The library file is not replaced: " + readError;
        return 0;
    }
    // Extras beside no library (it was moved away) belong to no macro here:
    // they are kept aside too, not emptied.
    const bool orphaned = missing && !extrasRead.entries.empty();
    if ((extrasDamaged || orphaned) && out.keptAside.empty()) {
        std::string error;
        if (!KeepAside(extrasPath, extras, extrasMode, out.extrasKeptAside, error)) {
            out.error = "The file of abbreviations and window filters " + extrasPath +
                        " could not be kept aside, so it is not replaced. " + error;
            return 0;
        }
    }
    return WriteTo(root, libraryPath, &out.error);
}

bool CMacroFile::DecodeRecords(std::string_view bytes, int32_t& header,
                               const std::function<bool(CMacro&&)>& record, size_t* consumed) {
    Reader in(bytes);
    header = 0;
    if (consumed)
        *consumed = 0;
    if (!in.Int(header))
        return true; // too short for a header: no records
    if (consumed)
        *consumed = in.Position();
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
        if (consumed)
            *consumed = in.Position();
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
