#pragma once

#include <shapefil.h>

#include <type_traits>

namespace tmq::shapelib {

// The file hooks as this program writes them. shapelib 1.6 hands its open
// and remove hooks a user-data pointer and its write hook a read-only
// buffer; 1.5 does neither. The setters below fit these functions to
// whichever shape the installed shapefil.h declares.
using OpenHook = SAFile (*)(const char* name, const char* access);
using WriteHook = SAOffset (*)(const void* from, SAOffset size, SAOffset count, SAFile file);
using RemoveHook = int (*)(const char* name);

template <OpenHook open, typename Hooks>
void setOpenHook(Hooks& hooks)
{
    if constexpr (std::is_invocable_v<decltype(hooks.FOpen), const char*, const char*, void*>)
        hooks.FOpen = [](const char* name, const char* access, void*) { return open(name, access); };
    else
        hooks.FOpen = open;
}

template <WriteHook write, typename Hooks>
void setWriteHook(Hooks& hooks)
{
    if constexpr (std::is_convertible_v<WriteHook, decltype(hooks.FWrite)>)
        hooks.FWrite = write;
    else
        hooks.FWrite = [](void* from, SAOffset size, SAOffset count, SAFile file) {
            return write(from, size, count, file);
        };
}

template <RemoveHook remove, typename Hooks>
void setRemoveHook(Hooks& hooks)
{
    if constexpr (std::is_invocable_v<decltype(hooks.Remove), const char*, void*>)
        hooks.Remove = [](const char* name, void*) { return remove(name); };
    else
        hooks.Remove = remove;
}

} // namespace tmq::shapelib
