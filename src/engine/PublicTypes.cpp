// String, File and the ssi_stream defaults of the public interface.
#include "engine/ScriptFile.h"
#include "engine/ScriptString.h"
#include "engine/Stream.h"

#include <cerrno>
#include <cstdarg>
#include <cstring>
#include <vector>

String& String::Trim() {
    const char* blanks = " \t\r\n\f\v";
    size_t first = data.find_first_not_of(blanks);
    if (first == std::string::npos) {
        data.clear();
        return *this;
    }
    size_t last = data.find_last_not_of(blanks);
    data = data.substr(first, last - first + 1);
    return *this;
}

int String::ReverseFind(char c) const {
    size_t at = data.rfind(c);
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

int String::Find(const char* text, int from) const {
    if (!text || from < 0 || static_cast<size_t>(from) > data.size())
        return -1;
    size_t at = data.find(text, static_cast<size_t>(from));
    return at == std::string::npos ? -1 : static_cast<int>(at);
}

String String::SubString(int start, int length) const {
    if (start < 0)
        start = 0;
    if (static_cast<size_t>(start) >= data.size())
        return String();
    return String(data.substr(static_cast<size_t>(start),
                              length < 0 ? std::string::npos : static_cast<size_t>(length)));
}

int String::Parse(String& before, const char* delimiter) {
    size_t at = delimiter && *delimiter ? data.find(delimiter) : std::string::npos;
    if (at == std::string::npos) {
        before.data = data;
        data.clear();
        return -1;
    }
    before.data = data.substr(0, at);
    data.erase(0, at + std::strlen(delimiter));
    return static_cast<int>(at);
}

CStatus File::Open(const String& path, const char* mode) {
    Close();
    std::string m = mode ? mode : "";
    if (m != "r" && m != "w" && m != "a")
        return CStatus::Fail("unknown file mode '" + m + "'");
    handle = std::fopen(path.Str(), (m + "b").c_str());
    if (!handle)
        return CStatus::Fail(std::string("cannot open '") + path.Str() +
                             "': " + std::strerror(errno));
    return CStatus::Ok();
}

int File::ReadLine(String& line) {
    line = "";
    if (!handle)
        return -1;
    std::string text;
    int c;
    bool any = false;
    while ((c = std::fgetc(handle)) != EOF) {
        any = true;
        if (c == '\n')
            break;
        text += static_cast<char>(c);
    }
    if (!any)
        return -1;
    if (!text.empty() && text.back() == '\r')
        text.pop_back();
    line = String(std::move(text));
    return static_cast<int>(line.Length());
}

CStatus File::Write(const String& text) {
    if (!handle)
        return CStatus::Fail("file is not open");
    if (std::fwrite(text.Str(), 1, text.Length(), handle) != text.Length() || std::fflush(handle))
        return CStatus::Fail(std::string("write failed: ") + std::strerror(errno));
    return CStatus::Ok();
}

CStatus File::WriteLine(const String& line) {
    String text = line;
    text += '\n';
    return Write(text);
}

void File::Close() {
    if (handle)
        std::fclose(handle);
    handle = nullptr;
}

void ssi_stream::Write(std::string_view, char) {}

int ssi_stream::ReadInput(char* buffer, int capacity) {
    if (buffer && capacity > 0)
        buffer[0] = '\0';
    return -1;
}

void ssi_stream::Format(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    int length = std::vsnprintf(nullptr, 0, format, copy);
    va_end(copy);
    if (length >= 0) {
        std::vector<char> buffer(static_cast<size_t>(length) + 1);
        std::vsnprintf(buffer.data(), buffer.size(), format, args);
        Write(std::string_view(buffer.data(), static_cast<size_t>(length)), 0);
    }
    va_end(args);
}
