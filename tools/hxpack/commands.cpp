#include "commands.h"

#include "destination_rules.h"
#include "host_file.h"
#include "pack_checksums.h"
#include "pack_names.h"
#include "pack_reader.h"
#include "pack_writer.h"
#include "progress.h"
#include "removal_guard.h"

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <stdexcept>
#include <system_error>

namespace hx {
namespace {

namespace fs = std::filesystem;

// Large enough to keep system calls few, small enough to stay in the processor's cache. (Page alignment
// of the buffer matters as much: see IoBuffer.)
constexpr std::size_t kChunk = 128 * 1024;

constexpr const char* kUsage = "usage: hxpack create [--progress] OUT.pak FILE...\n"
                               "       hxpack list PAK\n"
                               "       hxpack extract [--progress] PAK DIR\n"
                               "       hxpack verify [--progress] PAK\n"
                               "       hxpack --help\n";

// A fault with a file or an entry: exit code 1.
struct Fault : std::runtime_error {
    Fault(const std::string& subject, const std::string& reason)
        : std::runtime_error(subject + ": " + reason) {}
};

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct CommandLine {
    std::string command;
    std::vector<std::string> operands;
    bool progress = false;
};

CommandLine parse(const std::vector<std::string>& args) {
    CommandLine line;
    line.command = args.front();
    bool optionsEnded = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg == "--progress") {
            line.progress = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            throw UsageError("unknown option " + arg);
        } else {
            line.operands.push_back(arg);
        }
    }
    return line;
}

void expectOperands(const CommandLine& line, std::size_t minimum, std::size_t maximum) {
    const std::size_t n = line.operands.size();
    if (n < minimum || n > maximum) {
        throw UsageError(line.command + ": wrong number of arguments");
    }
}

struct OpenPack {
    InputFile file;
    PackTable table;
};

// Opens a pack and reads its table, refusing it as the installer's reader does.
std::unique_ptr<OpenPack> openPack(const std::string& path) {
    auto pack = std::unique_ptr<OpenPack>(new OpenPack{InputFile(path), {}});
    PackReadResult result = readPackTable(pack->file);
    if (!result.ok()) {
        throw Fault(path, result.message);
    }
    pack->table = std::move(result.table);
    return pack;
}

// Copies `size` bytes from the source's position to the sink. (copy_file_range, which cat uses, measured
// slower here: entries start at offsets that are not page-aligned.)
void copyBytes(ByteSource& source, ByteSink& sink, std::uint64_t size, IoBuffer& buffer,
               const std::string& sourcePath, ProgressLine& progress, std::uint64_t& done) {
    while (size > 0) {
        const std::size_t chunk = static_cast<std::size_t>(std::min<std::uint64_t>(size, buffer.size()));
        if (!source.readExactly(buffer.data(), chunk)) {
            throw Fault(sourcePath, "the file ends early");
        }
        sink.write(buffer.data(), chunk);
        size -= chunk;
        done += chunk;
        progress.update(done);
    }
}

// ---- create ----

struct InputPlan {
    std::vector<std::string> paths;
    std::vector<PackItem> items;
    std::uint64_t totalBytes = 0;
};

InputPlan planInputs(const std::vector<std::string>& paths) {
    InputPlan plan;
    std::map<std::string, std::string> pathByName;
    for (const std::string& path : paths) {
        std::error_code error;
        const fs::file_status status = fs::status(path, error);
        if (error || !fs::exists(status)) {
            throw Fault(path, "no such file");
        }
        if (!fs::is_regular_file(status)) {
            throw Fault(path, "not a regular file");
        }
        const std::uint64_t size = fs::file_size(path, error);
        if (error) {
            throw Fault(path, "cannot read the size: " + error.message());
        }
        const std::string name = fs::path(path).filename().string();
        if (const PackFault fault = checkEntryName(name); fault != PackFault::None) {
            throw Fault(path, "cannot be an entry: " + std::string(describePackFault(fault)));
        }
        if (const auto [it, added] = pathByName.emplace(name, path); !added) {
            throw Fault(path, "duplicate entry name \"" + name + "\" (also from " + it->second + ")");
        }
        plan.paths.push_back(path);
        plan.items.push_back({name, size});
        plan.totalBytes += size;
    }
    return plan;
}

// The pack replaces OUT by a rename, which would replace a link, a device or a pipe rather than write to
// it: only a regular file (or nothing) may stand there.
void refuseSpecialOutput(const std::string& outPath) {
    std::error_code error;
    const fs::file_status status = fs::symlink_status(outPath, error);
    if (!error && fs::exists(status) && !fs::is_regular_file(status)) {
        throw Fault(outPath, "exists and is not a regular file");
    }
}

// Streams each input's bytes into the writer, in its data order.
void packInputs(PackWriter& writer, const InputPlan& plan, IoBuffer& buffer, ProgressLine& progress) {
    std::uint64_t done = 0;
    for (const std::size_t index : writer.dataOrder()) {
        InputFile in(plan.paths[index]);
        const std::uint64_t size = plan.items[index].size;
        std::uint64_t left = size;
        while (left > 0) {
            // Writes that start on a page boundary of the pack are much cheaper: after the first piece,
            // the pieces end on multiples of the buffer size.
            const std::uint64_t position = writer.offsetOf(index) + (size - left);
            const std::uint64_t room = buffer.size() - position % buffer.size();
            const std::size_t got =
                in.read(buffer.data(), static_cast<std::size_t>(std::min<std::uint64_t>(left, room)));
            if (got == 0) {
                break;
            }
            writer.append(buffer.data(), got);
            left -= got;
            done += got;
            progress.update(done);
        }
        if (left != 0 || in.read(buffer.data(), 1) != 0) {
            throw Fault(plan.paths[index], "the file changed size while it was packed");
        }
    }
}

int create(const CommandLine& line, std::ostream& err, bool showProgress) {
    if (line.operands.size() < 2) {
        throw UsageError("create: needs OUT.pak and at least one FILE");
    }
    const std::string& outPath = line.operands.front();
    const InputPlan plan = planInputs({line.operands.begin() + 1, line.operands.end()});
    refuseSpecialOutput(outPath);

    // The pack is written under a temporary name and renamed when complete.
    const std::string partPath = outPath + ".part";
    RemovalGuard removal;
    {
        OutputFile out(partPath);
        removal.arm(partPath);
        std::optional<PackWriter> writer;
        try {
            writer.emplace(out, plan.items);
        } catch (const PackWriteError& refusal) {
            throw Fault(outPath, refusal.what());
        }
        ProgressLine progress(showProgress, err, "hxpack: creating " + outPath + ":", plan.totalBytes);
        IoBuffer buffer(kChunk);
        packInputs(*writer, plan, buffer, progress);
        writer->finish();
        out.close();
        progress.finish();
    }
    std::error_code error;
    fs::rename(partPath, outPath, error);
    if (error) {
        throw Fault(outPath, "cannot rename " + partPath + " to it: " + error.message());
    }
    removal.release();
    return kExitOk;
}

// ---- list ----

int list(const CommandLine& line, std::ostream& out) {
    expectOperands(line, 1, 1);
    const auto pack = openPack(line.operands[0]);
    const std::vector<PackEntry>& entries = pack->table.entries;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        const PackEntry& entry = entries[i];
        const Destination destination = chooseDestination(entry.name, "<install>", "<windows>");
        out << i << '\t' << entry.name << '\t' << entry.offset << '\t' << entry.size << '\t'
            << destination.path;
        if (destination.keepExisting) {
            out << "\tkeep-existing";
        }
        out << '\n';
    }
    out << "total\t" << entries.size() << " entries\t" << pack->table.totalSize << " bytes\n";
    out.flush();
    return kExitOk;
}

// ---- extract ----

fs::path entryPath(const fs::path& directory, std::string name) {
    // Entry names separate directories with backslashes; the reader has refused names that climb out.
    std::replace(name.begin(), name.end(), '\\', '/');
    return directory / fs::path(name);
}

void createDirectories(const fs::path& directory) {
    std::error_code error;
    fs::create_directories(directory, error);
    if (error) {
        throw Fault(directory.string(), "cannot create the directory: " + error.message());
    }
}

// A link already standing where an entry goes is replaced, not written through.
void replaceLink(const fs::path& target) {
    std::error_code error;
    if (fs::is_symlink(fs::symlink_status(target, error)) && !fs::remove(target, error)) {
        throw Fault(target.string(), "cannot replace the link: " + error.message());
    }
}

int extract(const CommandLine& line, std::ostream& err, bool showProgress) {
    expectOperands(line, 2, 2);
    const std::string& pakPath = line.operands[0];
    const fs::path directory(line.operands[1]);
    const auto pack = openPack(pakPath);
    createDirectories(directory);

    ProgressLine progress(showProgress, err, "hxpack: extracting " + pakPath + ":",
                          static_cast<std::uint64_t>(pack->table.totalSize));
    IoBuffer buffer(kChunk);
    std::uint64_t done = 0;
    for (const PackEntry& entry : pack->table.entries) {
        const fs::path target = entryPath(directory, entry.name);
        createDirectories(target.parent_path());
        replaceLink(target);
        RemovalGuard removal;
        OutputFile out(target.string());
        removal.arm(target.string());
        pack->file.seek(entry.offset);
        copyBytes(pack->file, out, entry.size, buffer, pakPath, progress, done);
        out.close();
        removal.release();
    }
    progress.finish();
    return kExitOk;
}

// ---- verify ----

int verify(const CommandLine& line, std::ostream& out, std::ostream& err, bool showProgress) {
    expectOperands(line, 1, 1);
    const std::string& pakPath = line.operands[0];
    const auto pack = openPack(pakPath);
    const PackTable& table = pack->table;

    ProgressLine progress(showProgress && hasPackStamp(table), err, "hxpack: verifying " + pakPath + ":",
                          static_cast<std::uint64_t>(table.totalSize));
    const PackCheckResult check =
        verifyPackChecksums(pack->file, table, [&progress](std::uint64_t done) { progress.update(done); });
    if (!check.ok()) {
        throw Fault(pakPath, check.message);
    }
    progress.finish();
    out << pakPath << ": sound, " << table.entries.size() << " entries, " << table.totalSize << " bytes, "
        << (check.stamped ? "CRC-32s match" : "no hxpack stamp (limits and names checked)") << '\n';
    out.flush();
    return kExitOk;
}

int usage(std::ostream& err, const std::string& problem) {
    err << "hxpack: " << problem << '\n' << kUsage;
    return kExitUsage;
}

} // namespace

int runHxpack(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
              const CliEnvironment& environment) {
    if (args.empty()) {
        return usage(err, "no command given");
    }
    if (args.front() == "--help" || args.front() == "-h" || args.front() == "help") {
        out << kUsage;
        return kExitOk;
    }
    try {
        const CommandLine line = parse(args);
        const bool showProgress = line.progress || environment.stderrIsTerminal;
        if (line.command == "create") {
            return create(line, err, showProgress);
        }
        if (line.command == "list") {
            return list(line, out);
        }
        if (line.command == "extract") {
            return extract(line, err, showProgress);
        }
        if (line.command == "verify") {
            return verify(line, out, err, showProgress);
        }
        return usage(err, "unknown command " + line.command);
    } catch (const UsageError& error) {
        return usage(err, error.what());
    } catch (const std::exception& error) {
        // Faults, I/O errors (HostFileError names its file) and anything unforeseen: one line, exit 1.
        err << "hxpack: " << error.what() << '\n';
        return kExitFault;
    }
}

} // namespace hx
