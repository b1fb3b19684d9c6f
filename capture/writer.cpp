// The writer thread: RGBA frames in as GL reads them, RGB frames out to the frame output, in order.
#include "capture/writer.h"

#include "capture/output.h"
#include "offscreen/offscreen.h"
#include "util/pngwrite.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <png.h>
#include <thread>
#include <vector>

namespace {

struct Job {
    int64_t frameIndex;
    std::vector<unsigned char> rgba;
};

constexpr size_t queueDepth = 3;

FrameOutput* output = nullptr;
void (*onFailed)() = nullptr;
std::thread worker;
std::mutex lock;
std::condition_variable changed;
std::deque<Job> pending;
std::vector<std::vector<unsigned char>> spare;
bool closing = false;  // write what is queued, then end
bool stopping = false; // end at once
bool failed = false;
std::string failure;

// Records the writer's failure, unless it was halted and its write failed for that, and stops the rest.
void fail(const std::string& error) {
    {
        std::lock_guard<std::mutex> guard(lock);
        if (stopping)
            return;
        failed = true;
        failure = error;
        pending.clear();
    }
    changed.notify_all();
    onFailed();
}

void writeLoop() {
    PngData frame;
    frame.width = output->width;
    frame.height = output->height;
    frame.colorType = PNG_COLOR_TYPE_RGB;
    frame.bytes.resize(static_cast<size_t>(output->width) * output->height * 3);
    for (;;) {
        Job job;
        {
            std::unique_lock<std::mutex> guard(lock);
            changed.wait(guard, [] { return !pending.empty() || closing || stopping; });
            if (stopping)
                return;
            if (pending.empty()) {
                output->endPictures();
                return;
            }
            job = std::move(pending.front());
            pending.pop_front();
        }
        changed.notify_all();
        flipGlRows(job.rgba.data(), output->width, output->height, frame.bytes.data(), 3);
        std::string error;
        if (!output->writePicture(job.frameIndex, frame, error)) {
            fail(error);
            return;
        }
        std::lock_guard<std::mutex> guard(lock);
        spare.push_back(std::move(job.rgba));
    }
}

void writeGuarded() {
    try {
        writeLoop();
    } catch (const std::exception& e) {
        fail(std::string("writing a frame failed: ") + e.what());
    }
}

} // namespace

void startWriter(FrameOutput& out, void (*onFailure)()) {
    output = &out;
    onFailed = onFailure;
    closing = stopping = failed = false;
    failure.clear();
    worker = std::thread(writeGuarded);
}

bool submitFrame(int64_t frameIndex, const unsigned char* rgba) {
    const size_t bytes = static_cast<size_t>(output->width) * output->height * 4;
    std::vector<unsigned char> buffer;
    {
        std::unique_lock<std::mutex> guard(lock);
        changed.wait(guard, [] { return pending.size() < queueDepth || failed || stopping; });
        if (failed || stopping)
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

void haltWriter() {
    {
        std::lock_guard<std::mutex> guard(lock);
        stopping = true;
    }
    changed.notify_all();
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
