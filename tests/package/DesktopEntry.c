// SPDX-License-Identifier: GPL-3.0-or-later
// Loads a desktop entry as the desktop's menus and file managers built on GLib do, and prints
// whether it is shown, the program it starts and the file types it opens, one a line:
//   shown=1
//   executable=velmora
//   type=application/x-velmora-session
// An entry GLib refuses to load (a TryExec program not found on PATH, for one) ends with
// status 1. Usage: velmora-desktop-entry FILE.desktop
#include <gio/gdesktopappinfo.h>

#include <stdio.h>

int main(int argc, char** argv) {
    if (argc != 2) {
        fprintf(stderr, "usage: %s FILE.desktop\n", argv[0]);
        return 2;
    }
    GDesktopAppInfo* entry = g_desktop_app_info_new_from_filename(argv[1]);
    if (entry == NULL) {
        fprintf(stderr, "GLib does not load %s\n", argv[1]);
        return 1;
    }
    GAppInfo* info = G_APP_INFO(entry);
    printf("shown=%d\n", g_app_info_should_show(info) ? 1 : 0);
    printf("executable=%s\n", g_app_info_get_executable(info));
    const char* const* types = g_app_info_get_supported_types(info);
    for (; types != NULL && *types != NULL; ++types)
        printf("type=%s\n", *types);
    g_object_unref(entry);
    return 0;
}
