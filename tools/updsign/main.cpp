// dorvane-updsign: writes and signs the manifest an update is published with.
//   dorvane-updsign keygen KEYFILE
//       makes a key pair: the secret key into KEYFILE (keep it off the repository and the
//       server), the public key into KEYFILE.pub and on standard output, for the program.
//   dorvane-updsign sign KEYFILE VERSION OUTFOLDER FILE...
//       writes OUTFOLDER/manifest.txt (version, and each FILE's name, size and SHA-256) and
//       OUTFOLDER/manifest.sig, its Ed25519 signature.

#include "updater/UpdateIntegrity.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;
using namespace dorvane;

namespace {

int Usage()
{
    std::cerr << "usage: dorvane-updsign keygen KEYFILE\n"
                 "       dorvane-updsign sign KEYFILE VERSION OUTFOLDER FILE...\n";
    return 2;
}

bool WriteFile(const fs::path& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        std::cerr << "cannot write " << path.string() << "\n";
    return static_cast<bool>(out);
}

// The secret key's file is made readable by its owner alone from the moment it exists, and
// only as a new file: an existing file, or a link planted at its name, is never written through.
bool WriteNewSecretFile(const fs::path& path, const std::string& bytes)
{
#ifdef _WIN32
    if (fs::exists(fs::symlink_status(path)))
        return false;
    return WriteFile(path, bytes);
#else
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        std::cerr << "cannot create " << path.string() << ": " << std::strerror(errno) << "\n";
        return false;
    }
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        written += static_cast<std::size_t>(n);
    }
    const bool ok = written == bytes.size() && ::fsync(fd) == 0;
    if (::close(fd) != 0 || !ok) {
        std::cerr << "cannot write " << path.string() << "\n";
        ::unlink(path.c_str());
        return false;
    }
    return true;
#endif
}

int KeyGen(const fs::path& keyFile)
{
    if (fs::exists(fs::symlink_status(keyFile))) {
        std::cerr << keyFile.string() << " exists; not overwritten\n";
        return 1;
    }
    const auto [publicKey, secretKey] = MakeKeyPair();
    auto hex = [](const auto& key) {
        return ToHex(std::string_view(reinterpret_cast<const char*>(key.data()), key.size()));
    };
    const std::string publicHex = hex(publicKey);
    if (!WriteNewSecretFile(keyFile, hex(secretKey) + "\n")
        || !WriteFile(fs::path(keyFile.string() + ".pub"), publicHex + "\n"))
        return 1;
    std::cout << publicHex << "\n";
    return 0;
}

int Sign(const fs::path& keyFile, const std::string& versionText, const fs::path& outFolder,
         const std::vector<fs::path>& files)
{
    std::ifstream in(keyFile);
    std::string hex;
    in >> hex;
    const auto secret = FromHex(hex, sizeof(SecretKey));
    if (!secret) {
        std::cerr << keyFile.string() << " holds no secret key\n";
        return 1;
    }
    SecretKey key{};
    std::copy(secret->begin(), secret->end(), key.begin());
    std::size_t used = 0;
    int version = 0;
    try {
        version = std::stoi(versionText, &used);
    } catch (const std::exception&) {
        used = 0;
    }
    if (used == 0 || used != versionText.size() || version < 0) {
        std::cerr << "the version is a number such as 223\n";
        return 2;
    }
    const auto manifest = ManifestOfFiles(version, files);
    if (!manifest) {
        std::cerr << "a file cannot be read, has a name that is not plain, or is named twice\n";
        return 1;
    }
    const std::string text = WriteManifest(*manifest);
    const std::string signature = SignDetached(text, key);
    std::array<unsigned char, 32> publicHalf{};
    std::copy(key.begin() + 32, key.end(), publicHalf.begin()); // an Ed25519 secret key ends with its public key
    if (!VerifyDetached(text, signature, publicHalf)) {
        std::cerr << "the signature does not verify\n";
        return 1;
    }
    if (!WriteFile(outFolder / "manifest.txt", text) || !WriteFile(outFolder / "manifest.sig", signature))
        return 1;
    std::cout << text;
    return 0;
}

} // namespace

int main(int argc, char* argv[])
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (args.size() == 2 && args[0] == "keygen")
        return KeyGen(args[1]);
    if (args.size() >= 5 && args[0] == "sign")
        return Sign(args[1], args[2], args[3], std::vector<fs::path>(args.begin() + 4, args.end()));
    return Usage();
}
