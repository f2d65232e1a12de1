#include "delivery.h"

#include <algorithm>
#include <chrono>

namespace sim {
namespace {

constexpr std::size_t kPiece = 256 * 1024;
// A stalled reply gives up on its own eventually, so that a client that went away does not keep
// a server thread forever.
constexpr std::chrono::minutes kLongestStall{5};

struct Sending {
    std::shared_ptr<Source> source;
    DeliveryOptions options;
    StopSignal* stop;
    std::uint64_t limit; // bytes sent before a break or stall
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();

    // Writes the piece at offset; false ends the reply (a cut-off or a stall that gave up).
    bool WritePiece(std::uint64_t offset, httplib::DataSink& sink) {
        if (stop->Raised()) {
            return false;
        }
        if (offset >= limit) {
            if (options.mode == Mode::Stall) {
                auto until = std::chrono::steady_clock::now() + kLongestStall;
                while (!stop->WaitFor(std::chrono::milliseconds(200)) &&
                       std::chrono::steady_clock::now() < until) {
                }
            }
            return false;
        }
        std::size_t max = kPiece;
        if (options.pieceBytes) {
            max = static_cast<std::size_t>(std::min<std::uint64_t>(options.pieceBytes, kPiece));
            if (offset > 0 && options.pieceDelay.count() > 0 && stop->WaitFor(options.pieceDelay)) {
                return false;
            }
        }
        if (options.bytesPerSecond) {
            max = std::min(max, static_cast<std::size_t>(std::clamp<std::uint64_t>(
                                    options.bytesPerSecond / 10, 1, kPiece)));
            auto due = start + std::chrono::microseconds(offset * 1000000 / options.bytesPerSecond);
            auto wait = std::chrono::duration_cast<std::chrono::milliseconds>(
                due - std::chrono::steady_clock::now());
            if (wait.count() > 0 && stop->WaitFor(wait)) {
                return false;
            }
        }
        max = static_cast<std::size_t>(std::min<std::uint64_t>(max, limit - offset));
        std::string_view piece = source->Read(offset, max);
        if (piece.empty()) {
            return false;
        }
        return sink.write(piece.data(), piece.size());
    }
};

} // namespace

DeliveryOptions ScriptedDelivery(const Answer& answer) {
    DeliveryOptions options;
    options.mode = answer.mode;
    options.cutAfter = answer.cutAfter;
    options.pieceBytes = answer.pieceBytes;
    options.pieceDelay = std::chrono::milliseconds(answer.pieceDelayMs);
    return options;
}

DeliveryOptions FileDeliveryOptions(const std::multimap<std::string, std::string>& params,
                                    DeliveryOptions scripted) {
    DeliveryOptions options = std::move(scripted);
    if (params.count("break") && options.mode == Mode::Normal) {
        options.mode = Mode::Break;
    }
    options.chunked = params.count("chunked") > 0;
    auto rate = params.find("rate");
    if (rate != params.end()) {
        try {
            options.bytesPerSecond = std::stoull(rate->second);
        } catch (const std::exception&) {
            options.bytesPerSecond = 0;
        }
    }
    return options;
}

void Deliver(httplib::Response& response, std::shared_ptr<Source> source,
             const std::string& contentType, const DeliveryOptions& options, StopSignal& stop) {
    if (options.mode == Mode::NonJson) {
        source = TextSource("<html><head><title>502 Bad Gateway</title></head><body>"
                            "<h1>502 Bad Gateway</h1></body></html>");
    }
    const std::string type = options.mode == Mode::NonJson ? std::string("text/html") : contentType;
    const std::uint64_t size = source->Size();

    if (options.mode != Mode::Break && options.mode != Mode::Stall && options.bytesPerSecond == 0 &&
        !options.chunked && options.pieceBytes == 0 && size <= kPiece) {
        std::string_view all = source->Read(0, static_cast<std::size_t>(size));
        response.set_content(std::string(all), type);
        return;
    }

    auto sending = std::make_shared<Sending>();
    sending->source = std::move(source);
    sending->options = options;
    sending->stop = &stop;
    bool cut = options.mode == Mode::Break || options.mode == Mode::Stall;
    sending->limit = !cut ? size : options.cutAfter ? std::min(*options.cutAfter, size) : size / 2;

    if (options.chunked) {
        response.set_chunked_content_provider(
            type, [sending, size](std::size_t offset, httplib::DataSink& sink) {
                if (offset >= size) {
                    sink.done();
                    return true;
                }
                return sending->WritePiece(offset, sink);
            });
    } else {
        response.set_content_provider(
            static_cast<std::size_t>(size), type,
            [sending](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                return sending->WritePiece(offset, sink);
            });
    }
}

} // namespace sim
