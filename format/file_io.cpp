#include "file_io.h"

#include <algorithm>
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
    // One read of the size the file has now, then whatever it has grown by.
    std::vector<std::uint8_t> bytes;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in ? std::streamoff(in.tellg()) : -1;
    in.clear(); // a stream that cannot seek is read to its end below
    in.seekg(0, std::ios::beg);
    in.clear();
    if (size > 0) {
        bytes.resize(static_cast<std::size_t>(size));
        in.read(reinterpret_cast<char*>(bytes.data()), size);
        bytes.resize(static_cast<std::size_t>(in.gcount()));
    }
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

bool readLargeFile(const std::string& path, LargeFileBytes& out) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec)) {
        std::vector<std::uint8_t> bytes;
        if (!readFileBytes(path, bytes)) {
            return false;
        }
        LargeFileBytes copy{makeLargeArray<std::uint8_t>(bytes.size()), bytes.size()};
        std::copy(bytes.begin(), bytes.end(), copy.data.get());
        out = std::move(copy);
        return true;
    }
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) {
        return false;
    }
    const std::streamoff size = in.tellg();
    in.seekg(0, std::ios::beg);
    if (!in || size < 0) {
        return false;
    }
    LargeFileBytes read{makeLargeArray<std::uint8_t>(static_cast<std::size_t>(size)), 0};
    in.read(reinterpret_cast<char*>(read.data.get()), size);
    if (in.bad()) {
        return false;
    }
    read.size = static_cast<std::size_t>(in.gcount()); // less when the file shrank meanwhile
    out = std::move(read);
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
