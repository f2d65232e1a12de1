#include "fuzz_driver.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <fstream>
#include <iterator>
#include <random>

namespace {

using Rng = std::mt19937_64;

size_t Below(Rng& rng, size_t bound) {
    return bound == 0 ? 0 : static_cast<size_t>(rng() % bound);
}

std::string RandomBytes(Rng& rng, size_t length) {
    std::string bytes(length, '\0');
    for (char& byte : bytes) {
        byte = static_cast<char>(rng() & 0xFF);
    }
    return bytes;
}

// One mutation of the input: the usual byte-level ones, plus splices of another seed and runs
// of a structure token, up to tens of thousands long, for the nesting that breaks recursion.
void MutateOnce(std::string& data, const fuzz::Target& target, Rng& rng, size_t maxLength) {
    switch (Below(rng, 8)) {
    case 0: // flip a bit
        if (!data.empty()) {
            data[Below(rng, data.size())] ^= static_cast<char>(1 << Below(rng, 8));
        }
        break;
    case 1: // replace a byte, often with an interesting one
        if (!data.empty()) {
            static const char kInteresting[] = {'\0', '\xff', '\x7f', '\x80', '"', '\\', '<', '>',
                                                '{',  '}',    '[',    ']',    ',', ':',  '\n'};
            data[Below(rng, data.size())] = Below(rng, 2)
                                                ? kInteresting[Below(rng, sizeof kInteresting)]
                                                : static_cast<char>(rng());
        }
        break;
    case 2: // insert random bytes
        data.insert(Below(rng, data.size() + 1), RandomBytes(rng, 1 + Below(rng, 16)));
        break;
    case 3: // erase a range
        if (!data.empty()) {
            const size_t at = Below(rng, data.size());
            data.erase(at, 1 + Below(rng, data.size() - at));
        }
        break;
    case 4: // duplicate a range
        if (!data.empty()) {
            const size_t at = Below(rng, data.size());
            const std::string piece =
                data.substr(at, 1 + Below(rng, std::min<size_t>(64, data.size() - at)));
            data.insert(Below(rng, data.size() + 1), piece);
        }
        break;
    case 5: // splice another seed in
        if (!target.seeds.empty()) {
            const std::string& other = target.seeds[Below(rng, target.seeds.size())];
            const size_t from = Below(rng, other.size() + 1);
            data.insert(Below(rng, data.size() + 1), other.substr(from));
        }
        break;
    case 6: // a token, once
    case 7: // a token, repeated: deep nesting
        if (!target.tokens.empty()) {
            const std::string& token = target.tokens[Below(rng, target.tokens.size())];
            size_t count = 1;
            if (Below(rng, 8) == 0) {
                static const size_t kDepths[] = {2, 16, 255, 256, 257, 1000, 1001, 5000, 30000};
                count = kDepths[Below(rng, std::size(kDepths))];
            }
            std::string run;
            run.reserve(token.size() * count);
            for (size_t i = 0; i < count; ++i) {
                run += token;
            }
            data.insert(Below(rng, data.size() + 1), run);
        }
        break;
    }
    if (data.size() > maxLength) {
        data.resize(maxLength);
    }
}

std::string NextInput(const fuzz::Target& target, Rng& rng, size_t maxLength) {
    if (target.seeds.empty() || Below(rng, 16) == 0) {
        return RandomBytes(rng, Below(rng, 256));
    }
    std::string data = target.seeds[Below(rng, target.seeds.size())];
    const size_t mutations = 1 + Below(rng, 6);
    for (size_t i = 0; i < mutations; ++i) {
        MutateOnce(data, target, rng, maxLength);
    }
    return data;
}

void Save(const std::string& path, const std::string& input) {
    std::ofstream(path, std::ios::binary) << input;
}

// Runs one input; an exception is a failure like a false result.
bool RunOne(const fuzz::Target& target, const std::string& input, const std::string& savePath) {
    Save(savePath, input); // a crash leaves the input behind
    bool ok = false;
    try {
        ok = target.run(input);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "%s: exception: %s\n", target.name, error.what());
    } catch (...) {
        std::fprintf(stderr, "%s: unknown exception\n", target.name);
    }
    if (!ok) {
        std::fprintf(stderr, "%s: failed on the input saved in %s (%zu bytes)\n", target.name,
                     savePath.c_str(), input.size());
    }
    return ok;
}

} // namespace

int main(int argc, char** argv) {
    const fuzz::Target& target = fuzz::TheTarget();
    unsigned long long runs = 1000;
    unsigned long long seed = 1;
    size_t maxLength = 64 * 1024;
    std::string savePath = std::string("fuzz-") + target.name + "-input.bin";
    std::vector<std::string> replay;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc) {
            runs = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--max-len" && i + 1 < argc) {
            maxLength = std::strtoull(argv[++i], nullptr, 10);
        } else if (arg == "--save" && i + 1 < argc) {
            savePath = argv[++i];
        } else if (!arg.empty() && arg[0] != '-') {
            replay.push_back(arg);
        } else {
            std::fprintf(stderr,
                         "usage: %s [--runs N] [--seed S] [--max-len BYTES] [--save FILE] "
                         "[INPUT-FILE...]\n",
                         argv[0]);
            return 2;
        }
    }
    if (!replay.empty()) {
        for (const std::string& path : replay) {
            std::ifstream file(path, std::ios::binary);
            const std::string input{std::istreambuf_iterator<char>(file), {}};
            if (!RunOne(target, input, savePath + ".replay")) {
                return 1;
            }
        }
        return 0;
    }
    for (const std::string& input : target.seeds) {
        if (!RunOne(target, input, savePath)) {
            return 1;
        }
    }
    Rng rng(seed);
    for (unsigned long long run = 0; run < runs; ++run) {
        if (!RunOne(target, NextInput(target, rng, maxLength), savePath)) {
            return 1;
        }
    }
    std::remove(savePath.c_str());
    std::printf("%s: %llu runs from seed %llu, no failure\n", target.name, runs, seed);
    return 0;
}
