#include "file_io.h"

#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

namespace kzo {

bool readFileBytes(const std::string& path, std::vector<std::uint8_t>& out) {
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::vector<std::uint8_t> bytes;
    char buffer[1 << 16];
    while (in) {
        in.read(buffer, sizeof buffer);
        bytes.insert(bytes.end(), buffer, buffer + in.gcount());
    }
    if (in.bad()) {
        return false;
    }
    out = std::move(bytes);
    return true;
}

namespace {

std::string temporaryNameFor(const std::string& target) {
    static std::atomic<unsigned> counter{0};
    static const unsigned seed = std::random_device{}();
    return target + ".tmp" + std::to_string(seed) + "-" + std::to_string(counter++);
}

bool writeOne(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    if (!out) {
        return false;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

} // namespace

std::string writeFilesAtomically(const std::vector<OutputFile>& files) {
    // A directory in a target's place would make its rename fail after earlier
    // targets of the set were already replaced: refuse the set before any
    // write.
    for (const auto& file : files) {
        std::error_code ec;
        if (std::filesystem::is_directory(file.path, ec)) {
            return file.path;
        }
    }
    std::vector<std::string> temporaries;
    auto discard = [&temporaries] {
        for (const auto& t : temporaries) {
            std::error_code ec;
            std::filesystem::remove(t, ec);
        }
    };
    for (const auto& file : files) {
        std::string temporary = temporaryNameFor(file.path);
        temporaries.push_back(temporary);
        if (!writeOne(temporary, file.bytes)) {
            discard();
            return file.path;
        }
    }
    for (std::size_t i = 0; i < files.size(); ++i) {
        std::error_code ec;
        std::filesystem::rename(temporaries[i], files[i].path, ec);
        if (ec) {
            // Files renamed so far stay complete; the rest are left untouched.
            for (std::size_t j = i; j < files.size(); ++j) {
                std::filesystem::remove(temporaries[j], ec);
            }
            return files[i].path;
        }
    }
    return {};
}

} // namespace kzo
