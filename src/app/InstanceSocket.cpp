#include "app/InstanceSocket.h"

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

std::string InstanceSocketPath() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    std::error_code error;
    if (runtime && *runtime && std::filesystem::is_directory(runtime, error))
        return std::string(runtime) + "/wingmate.sock";
    return "/tmp/wingmate-" + std::to_string(::getuid()) + ".sock";
}
