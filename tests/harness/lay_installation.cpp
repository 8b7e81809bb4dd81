// Lays out an installation from the command line, for the scripts: the demo and the browser
// tests. Steps run in the order given; registry entries are written last, in one go.

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "harness/installation_builder.h"
#include "harness/program_target.h"

namespace {

const char* const kUsage =
    "usage: lay_installation DIR [--target native|wine] [--fresh] STEP...\n"
    "  --fresh                      remove DIR first\n"
    "  --program NAME               copy in the built program NAME (velkor, ...); prints its path\n"
    "  --program-file PATH          copy in this program file; prints its path\n"
    "  --copy SOURCE DEST           copy a file or folder tree in as DEST\n"
    "  --file DEST TEXT             write TEXT into DEST (\\r \\n \\t \\\\ are escapes)\n"
    "  --params TEXT                the same as --file params TEXT\n"
    "  --folder NAME                an empty folder (log, Log)\n"
    "  --reg-delete KEY             delete KEY and its subkeys before anything is set\n"
    "  --reg-key KEY                create KEY\n"
    "  --reg-string KEY NAME VALUE  a string value (NAME @ is the key's default value)\n"
    "  --reg-dword KEY NAME NUMBER  a DWORD value\n"
    "In VALUE, {installation} is DIR, and {installation-as-seen} is DIR as the program sees\n"
    "it (Z:\\... under Wine). The registry goes to DIR/registry.reg (native) or into the Wine\n"
    "prefix of WINEPREFIX, else the configured Windows build's (wine).\n";

std::string Unescaped(const std::string& text) {
    std::string bytes;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            bytes += text[i];
            continue;
        }
        const char next = text[++i];
        if (next == 'r')
            bytes += '\r';
        else if (next == 'n')
            bytes += '\n';
        else if (next == 't')
            bytes += '\t';
        else if (next == '\\')
            bytes += '\\';
        else
            throw std::invalid_argument(std::string("unknown escape \\") + next);
    }
    return bytes;
}

std::string Substituted(std::string value, const std::string& placeholder,
                        const std::string& replacement) {
    for (std::size_t at = value.find(placeholder); at != std::string::npos;
         at = value.find(placeholder, at + replacement.size())) {
        value.replace(at, placeholder.size(), replacement);
    }
    return value;
}

harness::ProgramTarget TargetNamed(const std::string& name) {
    try {
        return harness::ProgramTarget::Named(name);
    } catch (const std::runtime_error& error) {
        throw std::invalid_argument(error.what());
    }
}

int Lay(const std::vector<std::string>& args) {
    if (args.empty() || args[0].rfind("--", 0) == 0) throw std::invalid_argument("no DIR");
    const std::string directory = std::filesystem::absolute(args[0]).lexically_normal().string();
    harness::ProgramTarget target(harness::ProgramTarget::Kind::Native);
    std::size_t at = 1;
    auto take = [&](std::size_t count) {
        if (at + count > args.size())
            throw std::invalid_argument(args[at - 1] + " needs " + std::to_string(count) +
                                        " argument(s)");
        std::vector<std::string> taken(args.begin() + static_cast<long>(at),
                                       args.begin() + static_cast<long>(at + count));
        at += count;
        return taken;
    };
    // Options that shape the whole layout come first.
    while (at < args.size() && (args[at] == "--target" || args[at] == "--fresh")) {
        const std::string option = args[at++];
        if (option == "--fresh")
            std::filesystem::remove_all(directory);
        else
            target = TargetNamed(take(1)[0]);
    }
    harness::InstallationBuilder builder(directory);
    harness::RegistryFile registry;
    auto value = [&](const std::string& text) {
        return Substituted(
            Substituted(text, "{installation-as-seen}", target.PathAsSeen(directory)),
            "{installation}", directory);
    };
    while (at < args.size()) {
        const std::string step = args[at++];
        if (step == "--program") {
            std::cout << builder.InstallProgram(target, take(1)[0]) << "\n";
        } else if (step == "--program-file") {
            const std::string source = take(1)[0];
            std::cout << builder.InstallProgram(source,
                                                std::filesystem::path(source).filename().string())
                      << "\n";
        } else if (step == "--copy") {
            const auto copy = take(2);
            builder.Copy(copy[0], copy[1]);
        } else if (step == "--file") {
            const auto file = take(2);
            builder.WriteFile(file[0], Unescaped(file[1]));
        } else if (step == "--params") {
            builder.WriteParams(Unescaped(take(1)[0]));
        } else if (step == "--folder") {
            builder.AddFolder(take(1)[0]);
        } else if (step == "--reg-delete") {
            registry.DeleteKey(take(1)[0]);
        } else if (step == "--reg-key") {
            registry.AddKey(take(1)[0]);
        } else if (step == "--reg-string") {
            const auto entry = take(3);
            registry.SetString(entry[0], entry[1] == "@" ? "" : entry[1], value(entry[2]));
        } else if (step == "--reg-dword") {
            const auto entry = take(3);
            registry.SetDword(entry[0], entry[1] == "@" ? "" : entry[1],
                              static_cast<std::uint32_t>(std::stoul(entry[2], nullptr, 0)));
        } else {
            throw std::invalid_argument("unknown step " + step);
        }
    }
    if (!registry.IsEmpty()) builder.WriteRegistry(registry, target);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (!args.empty() && (args[0] == "--help" || args[0] == "-h")) {
        std::cout << kUsage;
        return 0;
    }
    try {
        return Lay(args);
    } catch (const std::invalid_argument& error) {
        std::cerr << "lay_installation: " << error.what() << "\n" << kUsage;
        return 2;
    } catch (const std::exception& error) {
        std::cerr << "lay_installation: " << error.what() << "\n";
        return 1;
    }
}
