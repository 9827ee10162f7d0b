#include "updater/UpdateIntegrity.h"

#include "support/TempFolder.h"

#include <gtest/gtest.h>

namespace dorvane {
namespace {

namespace fs = std::filesystem;
using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

TEST(UpdateIntegrity, AddressesOnTheUpdateServerOnly)
{
    const std::string server = "https://update.example.com";
    struct Case {
        const char* url;
        bool allowed;
    };
    const Case cases[] = {
        {"https://update.example.com/DRV_update/Dorvane.ex_", true},
        {"HTTPS://Update.Example.COM:443/DRV_update/a.dat", true},
        {"https://update.example.com/DRV_update/a%20b.dat", true},
        {"http://update.example.com/DRV_update/a.dat", false},          // plain http away from this machine
        {"https://update.example.com:8443/DRV_update/a.dat", false},    // another port
        {"https://evil.example.com/DRV_update/a.dat", false},
        {"https://update.example.com.evil.net/a.dat", false},
        {"https://update.example.com@evil.net/a.dat", false},
        {"https://x@update.example.com/a.dat", false},
        {"file:///etc/passwd", false},
        {"file://update.example.com/a.dat", false},
        {"data:text/plain,abc", false},
        {"ftp://update.example.com/a.dat", false},
        {"https://update.example.com/DRV_update/../a.dat", false},
        {"https://update.example.com/DRV_update/%2e%2E/a.dat", false},
        {"https://update.example.com/DRV_update/..%2Fa.dat", false},
        {"https://update.example.com/DRV_update/..\\a.dat", false},
        {"https://update.example.com/DRV_update/a.dat?x=1", false},
        {"https://update.example.com/DRV_update/a.dat#x", false},
        {"https://update.example.com/DRV_update/a%zz.dat", false},
        {"https://update.example.com/DRV_update/a b.dat", false},
        {"https://update.example.com", false},
        {"update.example.com/a.dat", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsAllowedUpdateUrl(c.url, server), c.allowed) << c.url;

    // The tests' local server: plain http on a loopback address, its own port only.
    EXPECT_TRUE(IsAllowedUpdateUrl("http://127.0.0.1:8080/DRV_update/a.dat", "http://127.0.0.1:8080"));
    EXPECT_FALSE(IsAllowedUpdateUrl("http://127.0.0.1:8081/DRV_update/a.dat", "http://127.0.0.1:8080"));
    EXPECT_FALSE(IsAllowedUpdateUrl("http://localhost:8080/DRV_update/a.dat", "http://127.0.0.1:8080"));
    EXPECT_FALSE(IsAllowedUpdateUrl("https://127.0.0.1:8080/DRV_update/a.dat", "http://127.0.0.1:8080"));
}

TEST(UpdateIntegrity, PlainHttpOnlyOnLoopback)
{
    for (const char* url : {"https://update.example.com", "http://127.0.0.1:5", "http://127.1.2.3/",
                            "http://[::1]:80/x", "http://localhost/x"})
        EXPECT_TRUE(IsAllowedAddress(url)) << url;
    for (const char* url : {"http://update.example.com", "http://127.0.0.1.evil.net/", "http://127.0.0.256/",
                            "http://128.0.0.1/", "http://[::2]/", "http://u@127.0.0.1/", "file:///tmp/x",
                            "data:,x", "https://", "ftp://127.0.0.1/x"})
        EXPECT_FALSE(IsAllowedAddress(url)) << url;
}

TEST(UpdateIntegrity, PlainFileNames)
{
    for (const char* name : {"Dorvane.ex_", "a.dat", "a b.bmp", "..dat", "数据.txt"})
        EXPECT_TRUE(IsPlainFileName(name)) << name;
    const std::string refused[] = {"",        ".",        "..",       "../a.dat", "a/b",
                                   "..\\a.dat", "a\\b",     "C:a.dat",  "c:\\w.exe", "a\nb",
                                   "a\tb",     "a\x7f",     std::string("a\0b", 3)};
    for (const std::string& name : refused)
        EXPECT_FALSE(IsPlainFileName(name)) << name;

    EXPECT_EQ(DecodedFileName("https://h/DRV_update/a%20b.dat"), "a b.dat");
    EXPECT_EQ(DecodedFileName("https://h/DRV_update/..%2F..%2Fa.dat"), "../../a.dat");
}

TEST(UpdateIntegrity, ManifestIsReadStrictly)
{
    const std::string hashA(64, 'a');
    const std::string hashB = Sha256Hex("b");
    const Manifest manifest{223, {{"Dorvane.ex_", 1234, hashA}, {"a b.dat", 0, hashB}}};
    const std::string text = WriteManifest(manifest);
    EXPECT_EQ(text, "version 223\nfile 1234 " + hashA + " Dorvane.ex_\nfile 0 " + hashB + " a b.dat\n");
    EXPECT_EQ(ParseManifest(text), manifest);
    ASSERT_NE(manifest.find("a b.dat"), nullptr);
    EXPECT_EQ(manifest.find("a b.dat")->size, 0u);
    EXPECT_EQ(manifest.find("a"), nullptr);

    const std::string refused[] = {
        "",
        "version 223",                                          // no line end
        "version 223\r\n",
        "version x\n",
        "version 0223\n",
        "version -0\n",
        "version +223\n",
        "versions 223\n",
        "version 223\nfile 12 " + hashA + " ../a.dat\n",
        "version 223\nfile 12 " + hashA + " a\\b\n",
        "version 223\nfile 12 " + hashA + " \n",
        "version 223\nfile -1 " + hashA + " a\n",
        "version 223\nfile 1x " + hashA + " a\n",
        "version 223\nfile 12 " + std::string(64, 'A') + " a\n",  // upper-case hex
        "version 223\nfile 12 " + hashA.substr(1) + " a\n",
        "version 223\nfile 12 " + hashA + " a\nfile 13 " + hashA + " a\n",
        "version 223\n\n",
        "version 223\nother line\n",
    };
    for (const std::string& bad : refused)
        EXPECT_FALSE(ParseManifest(bad)) << bad;
}

TEST(UpdateIntegrity, ExecutableMarksReadAsFilesByOlderUpdaters)
{
    const std::string hashA(64, 'a');
    const std::string empty = Sha256Hex("");
    Manifest manifest{223, {{"dorvane-cli", 12, hashA, true}, {"a.dat", 3, hashA, false}}};
    const std::string text = WriteManifest(manifest);
    EXPECT_EQ(text, "version 223\nfile 12 " + hashA + " dorvane-cli\nfile 3 " + hashA + " a.dat\nfile 0 " + empty
                        + " +x dorvane-cli\n");
    const auto parsed = ParseManifest(text);
    ASSERT_TRUE(parsed);
    EXPECT_EQ(*parsed, manifest);
    EXPECT_EQ(parsed->files.size(), 2u); // the mark is no file of the update

    // Marks only as the writer makes them: after the files, empty, naming a listed file.
    const std::string files = "version 223\nfile 12 " + hashA + " dorvane-cli\n";
    const std::string refused[] = {
        "version 223\nfile 0 " + empty + " +x dorvane-cli\nfile 12 " + hashA + " dorvane-cli\n",
        files + "file 1 " + empty + " +x dorvane-cli\n",
        files + "file 0 " + hashA + " +x dorvane-cli\n",
        files + "file 0 " + empty + " +x other\n",
    };
    for (const std::string& bad : refused)
        EXPECT_FALSE(ParseManifest(bad)) << bad;
}

TEST(UpdateIntegrity, HashesAndSignaturesFromLibsodium)
{
    // FIPS 180-2's example.
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    TempFolder folder;
    const std::string big(200000, 'x');
    WriteBytes(folder / "big", big);
    EXPECT_EQ(Sha256HexOfFile(folder / "big"), Sha256Hex(big));
    EXPECT_FALSE(Sha256HexOfFile(folder / "missing"));

    const auto [publicKey, secretKey] = MakeKeyPair();
    const std::string message = "version 223\n";
    const std::string signature = SignDetached(message, secretKey);
    EXPECT_TRUE(VerifyDetached(message, signature, publicKey));
    EXPECT_FALSE(VerifyDetached("version 224\n", signature, publicKey));
    std::string flipped = signature;
    flipped[10] ^= 1;
    EXPECT_FALSE(VerifyDetached(message, flipped, publicKey));
    EXPECT_FALSE(VerifyDetached(message, signature.substr(1), publicKey));
    EXPECT_FALSE(VerifyDetached(message, signature, MakeKeyPair().first));
    // The built-in key is a real key, not left empty.
    EXPECT_NE(BuiltInUpdateKey(), PublicKey{});

    EXPECT_EQ(FromHex(ToHex(std::string("\x00\xff\x10", 3)), 3), std::string("\x00\xff\x10", 3));
    EXPECT_FALSE(FromHex("0g", 1));
    EXPECT_FALSE(FromHex("00", 2));
}

VersionFile Versions(std::string version, std::string program, std::vector<std::string> further = {})
{
    return {std::move(version), std::move(program), std::move(further)};
}

TEST(UpdateIntegrity, PlanIsJudgedBeforeAnyRequest)
{
    const std::string server = "https://u.example.com";
    const UpdatePlan plan = PlanUpdate(
        Versions("223", "https://u.example.com/DRV_update/Dorvane.ex_", {"https://u.example.com/DRV_update/a%20b.dat"}),
        server);
    ASSERT_EQ(plan.error, "");
    ASSERT_EQ(plan.items.size(), 2u);
    EXPECT_EQ(plan.items[0].serverName, "Dorvane.ex_");
    EXPECT_EQ(plan.items[0].localName, "Dorvane" + std::string(kProgramSuffix));
    EXPECT_EQ(plan.items[1].serverName, "a b.dat");
    EXPECT_EQ(plan.items[1].localName, "a b.dat");

    const VersionFile refused[] = {
        Versions("223", ""),
        Versions("223", "https://u.example.com/DRV_update/Dorvane.ex_",
                 {"https://u.example.com/DRV_update/..%2Fx.dat"}),
        Versions("223", "https://u.example.com/DRV_update/Dorvane.ex_",
                 {"https://u.example.com/DRV_update/x%5C..%5Cy"}),
        Versions("223", "https://u.example.com/DRV_update/Dorvane.ex_", {"https://u.example.com/DRV_update/"}),
        Versions("223", "https://u.example.com/DRV_update/Dorvane.ex_", {"https://u.example.com/DRV_update/C%3Aw.exe"}),
        Versions("223", "https://u.example.com/DRV_update/Dorvane.ex_", {"file:///tmp/a.dat"}),
        // The same file twice, and a further file that would overwrite the new program.
        Versions("223", "https://u.example.com/DRV_update/Dorvane.ex_",
                 {"https://u.example.com/a.dat", "https://u.example.com/b/A.DAT"}),
        Versions("223", "https://u.example.com/DRV_update/Dorvane.ex_",
                 {"https://u.example.com/Dorvane" + std::string(kProgramSuffix.empty() ? "" : ".exe")}),
        Versions("223", "https://u.example.com/DRV_update/D.ex"), // nothing left of the program's name
    };
    for (const VersionFile& file : refused)
        EXPECT_NE(PlanUpdate(file, server).error, "") << file.programUrl << " " << file.furtherUrls.size();
    EXPECT_NE(PlanUpdate(Versions("223", "http://u.example.com/D.ex_"), "http://u.example.com").error, "");

    // The program OK starts is named only by an address the updater would fetch.
    EXPECT_EQ(ProgramFileFor("https://u.example.com/DRV_update/Dorvane.ex_", server),
              "Dorvane" + std::string(kProgramSuffix));
    EXPECT_EQ(ProgramFileFor("https://evil.example.com/DRV_update/Dorvane.ex_", server), "");
    EXPECT_EQ(ProgramFileFor("https://u.example.com/DRV_update/..%2F..%2Fbin%2Fsh.ex_", server), "");
    EXPECT_EQ(ProgramFileFor("https://u.example.com/DRV_update/D.ex", server), "");
}

// The signed manifest, not the version file, decides what is installed: all of the release or
// nothing, never an older release, never over the program's data or a folder.
TEST(UpdateIntegrity, SignedReleaseIsInstalledWholeAndOnlyWhenNewer)
{
    const std::string server = "https://u.example.com/DRV_update/";
    const auto [publicKey, secretKey] = MakeKeyPair();
    auto confirm = [&](const std::vector<std::string>& further, int version, int running) {
        const VersionFile file = Versions(std::to_string(version), server + "Dorvane.ex_", further);
        const Manifest manifest{version, {{"Dorvane.ex_", 3, Sha256Hex("new")}, {"a.dat", 1, Sha256Hex("a")},
                                          {"b.dat", 1, Sha256Hex("b")}}};
        const std::string text = WriteManifest(manifest);
        return ConfirmPlan(PlanUpdate(file, "https://u.example.com"), file, text, SignDetached(text, secretKey),
                           publicKey, running);
    };
    const std::vector<std::string> whole = {server + "a.dat", server + "b.dat"};
    EXPECT_EQ(confirm(whole, 223, 222).error, "");
    EXPECT_EQ(confirm({whole[0]}, 223, 222).error, "the version file leaves out b.dat");
    EXPECT_EQ(confirm(whole, 223, 223).failure, UpdateFailure::NotNewer);
    EXPECT_EQ(confirm(whole, 221, 222).failure, UpdateFailure::NotNewer);

    for (const char* name : {"SET", "dataM", "Version.txt", "x.DORV", ".updorv-abc", ".dorvane-swap.lock"})
        EXPECT_EQ(confirm({server + name}, 223, 222).failure, UpdateFailure::Refused) << name;
    for (const char* name : {"Settings.txt", "dataM.txt", "version.txt.bak"})
        EXPECT_FALSE(IsReservedName(name)) << name;

    TempFolder folder;
    fs::create_directory(folder / "docs");
    WriteBytes(folder / "a.dat", "old a");
    auto named = [](const char* name) { return UpdateItem{"", name, name, 0, "", false}; };
    EXPECT_EQ(TakenByFolder(folder.path(), {named("a.dat"), named("new.dat")}), "");
    EXPECT_EQ(TakenByFolder(folder.path(), {named("a.dat"), named("docs")}), "docs");
    // A link to a folder counts as one (wine makes no links).
    std::error_code linkError;
    fs::create_symlink(folder / "docs", folder / "linked", linkError);
    if (!linkError) {
        EXPECT_EQ(TakenByFolder(folder.path(), {named("linked")}), "linked");
    }
}

TEST(UpdateIntegrity, ManifestOfPublishedFiles)
{
    TempFolder folder;
    WriteBytes(folder / "Dorvane.ex_", "program");
    WriteBytes(folder / "a.dat", "");
    const auto manifest = ManifestOfFiles(224, {folder / "Dorvane.ex_", folder / "a.dat"});
    ASSERT_TRUE(manifest);
    EXPECT_EQ(*manifest, (Manifest{224, {{"Dorvane.ex_", 7, Sha256Hex("program")}, {"a.dat", 0, Sha256Hex("")}}}));
    EXPECT_FALSE(ManifestOfFiles(224, {folder / "missing"}));
    EXPECT_FALSE(ManifestOfFiles(224, {folder / "a.dat", folder / "a.dat"}));
}

} // namespace
} // namespace dorvane
