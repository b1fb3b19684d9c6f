// The writer thread: RGBA frames in as GL reads them, RGB frames out to the frame output, in order.
#include "capture/writer.h"

#include "capture/output.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace {

struct Job {
    int64_t frameIndex;
    std::vector<unsigned char> rgba;
};

constexpr size_t queueDepth = 3;

FrameOutput* output = nullptr;
std::thread worker;
std::mutex lock;
std::condition_variable changed;
std::deque<Job> pending;
std::vector<std::vector<unsigned char>> spare;
bool closing = false;
bool failed = false;
std::string failure;

void writeLoop() {
    std::vector<unsigned char> rgb(static_cast<size_t>(output->width) * output->height * 3);
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> guard(lock);
            changed.wait(guard, [] { return !pending.empty() || closing; });
            if (pending.empty())
                return;
            job = std::move(pending.front());
            pending.pop_front();
        }
        changed.notify_all();
        // GL gives the bottom row first; the outputs want the top row first.
        const size_t width = static_cast<size_t>(output->width);
        for (int y = 0; y < output->height; y++) {
            const unsigned char* from = job.rgba.data() + (output->height - 1 - y) * width * 4;
            unsigned char* to = rgb.data() + y * width * 3;
            for (size_t x = 0; x < width; x++) {
                to[3 * x] = from[4 * x];
                to[3 * x + 1] = from[4 * x + 1];
                to[3 * x + 2] = from[4 * x + 2];
            }
        }
        std::string error;
        const bool ok = writeFrame(*output, job.frameIndex, rgb.data(), error);
        std::lock_guard<std::mutex> guard(lock);
        spare.push_back(std::move(job.rgba));
        if (!ok) {
            failed = true;
            failure = error;
            pending.clear();
            changed.notify_all();
            return;
        }
    }
}

} // namespace

void startWriter(FrameOutput& out) {
    output = &out;
    closing = failed = false;
    failure.clear();
    worker = std::thread(writeLoop);
}

bool submitFrame(int64_t frameIndex, const unsigned char* rgba) {
    const size_t bytes = static_cast<size_t>(output->width) * output->height * 4;
    std::vector<unsigned char> buffer;
    {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [] { return pending.size() < queueDepth || failed; });
        if (failed)
            return false;
        if (!spare.empty()) {
            buffer = std::move(spare.back());
            spare.pop_back();
        }
    }
    buffer.assign(rgba, rgba + bytes);
    {
        std::lock_guard<std::mutex> guard(lock);
        pending.push_back(Job{frameIndex, std::move(buffer)});
    }
    changed.notify_all();
    return true;
}

bool stopWriter(std::string& error) {
    {
        std::lock_guard<std::mutex> guard(lock);
        closing = true;
    }
    changed.notify_all();
    if (worker.joinable())
        worker.join();
    spare.clear();
    if (failed)
        error = failure;
    return !failed;
}
