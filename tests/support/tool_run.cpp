#include "support/tool_run.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>
#include <stdexcept>
#include <thread>

BinaryResult runBinary(const RunRequest& request) {
    ScratchDir capture;
    fs::path outPath = capture / "stdout";
    fs::path errPath = capture / "stderr";

    std::vector<std::string> argv_storage;
    argv_storage.push_back(request.binary);
    argv_storage.insert(argv_storage.end(), request.args.begin(), request.args.end());
    std::vector<char*> argv;
    for (std::string& argument : argv_storage) {
        argv.push_back(argument.data());
    }
    argv.push_back(nullptr);

    // Built before the fork: the child only calls what is safe after it.
    std::vector<std::string> environmentStorage;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        std::string inherited = *entry;
        bool replaced = false;
        for (const std::string& setting : request.environment) {
            size_t nameEnd = setting.find('=');
            replaced = replaced || (nameEnd != std::string::npos &&
                                    inherited.compare(0, nameEnd + 1, setting, 0, nameEnd + 1) == 0);
        }
        if (!replaced) {
            environmentStorage.push_back(std::move(inherited));
        }
    }
    environmentStorage.insert(environmentStorage.end(), request.environment.begin(),
                              request.environment.end());
    std::vector<char*> environment;
    for (std::string& setting : environmentStorage) {
        environment.push_back(setting.data());
    }
    environment.push_back(nullptr);

    pid_t child = fork();
    if (child < 0) {
        throw std::runtime_error("fork failed");
    }
    if (child == 0) {
        int in = open("/dev/null", O_RDONLY);
        int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0 || chdir(request.workDir.c_str()) != 0) {
            _exit(127);
        }
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (request.fileSizeLimit) {
            signal(SIGXFSZ, request.ignoreFileSizeSignal ? SIG_IGN : SIG_DFL);
            struct rlimit limit {*request.fileSizeLimit, *request.fileSizeLimit};
            setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (request.addressSpaceLimit && AddressSpaceLimitApplies) {
            struct rlimit limit {*request.addressSpaceLimit, *request.addressSpaceLimit};
            setrlimit(RLIMIT_AS, &limit);
        }
        execve(argv[0], argv.data(), environment.data());
        _exit(127);
    }
    if (request.killAfter) {
        std::this_thread::sleep_for(*request.killAfter);
        // Until it is waited for, the child's id stays its own, even once it ended.
        kill(child, SIGKILL);
    }
    int waitStatus = 0;
    while (waitpid(child, &waitStatus, 0) < 0 && errno == EINTR) {
    }

    BinaryResult result;
    result.out = maskTime(readFile(outPath));
    result.err = readFile(errPath);
    if (WIFEXITED(waitStatus)) {
        result.status = WEXITSTATUS(waitStatus);
    } else if (WIFSIGNALED(waitStatus)) {
        result.status = 128 + WTERMSIG(waitStatus);
    }
    return result;
}

ScratchDir::ScratchDir() {
    std::string pattern = (fs::temp_directory_path() / "tvcompact-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        throw std::runtime_error("mkdtemp failed");
    }
    path_ = pattern;
}

ScratchDir::~ScratchDir() {
    std::error_code ignored;
    // Tests may take write permission away; give it back so removal works.
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(path_, ignored);
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

void writeFile(const fs::path& path, const std::string& content) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << content;
    if (!out) {
        throw std::runtime_error("cannot write " + path.string());
    }
}

std::map<std::string, std::string> directoryFiles(const fs::path& dir) {
    std::map<std::string, std::string> files;
    for (const fs::directory_entry& entry : fs::directory_iterator(dir)) {
        if (entry.is_regular_file()) {
            files[entry.path().filename().string()] = readFile(entry.path());
        } else {
            files[entry.path().filename().string() + "/"] = "";
        }
    }
    return files;
}

std::string maskTime(const std::string& out) {
    static const std::regex figure("Time, used by process: [0-9.]+ ");
    return std::regex_replace(out, figure, "Time, used by process: TIME ");
}
