// Loading a song: libopenmpt reads the module through the stored file callbacks.
#include "sound/internal.h"

#include <cstdlib>

static_assert(OPENMPT_STREAM_SEEK_SET == 0 && OPENMPT_STREAM_SEEK_CUR == 1 && OPENMPT_STREAM_SEEK_END == 2,
              "the stream's seek modes are libopenmpt's");

Song* soundLoadSong(const char* name) {
    void* handle = soundOpenFile(name);
    if (!handle)
        return nullptr;
    openmpt_stream_callbacks callbacks = {soundStreamRead, soundStreamSeek, soundStreamTell};
    int error = 0;
    // libopenmpt reads the whole file while it builds the module and never calls back afterwards.
    openmpt_module* module = openmpt_module_create2(callbacks, handle, openmpt_log_func_silent, nullptr,
                                                    nullptr, nullptr, &error, nullptr, nullptr);
    soundCloseFile(handle);
    if (!module)
        return nullptr;
    openmpt_module_set_repeat_count(module, -1);
    auto* song = static_cast<Song*>(std::calloc(1, sizeof(Song)));
    if (!song) {
        openmpt_module_destroy(module);
        return nullptr;
    }
    song->module = module;
    return song;
}
