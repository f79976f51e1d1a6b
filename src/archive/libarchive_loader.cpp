// libarchive, loaded on the first archive operation: with the compression
// and XML libraries it brings, it would otherwise be part of every
// start-up. The program does not link it; these definitions of the
// libarchive functions it calls (each checked against <archive.h>) load
// libarchive.so.13 and hand the call on. A function newly used elsewhere
// gets its line here (the link fails until it has one).
#include <archive.h>
#include <archive_entry.h>
#include <stdexcept>
#include <string>

#include "platform/shared_library.h"

namespace {

// The function `name` of libarchive; throws when the library or the
// function is not there.
template <typename F>
F Function(const char* name) {
  std::string error;
  void* address = nura::SharedLibrarySymbol("libarchive.so.13", name, error);
  if (!address) throw std::runtime_error(error);
  return reinterpret_cast<F>(address);
}

}  // namespace

#define NURA_FORWARD(ret, name, params, args)                       \
  ret name params {                                                 \
    static const auto function = Function<decltype(&name)>(#name); \
    return function args;                                           \
  }

NURA_FORWARD(time_t, archive_entry_atime, (struct archive_entry *a0), (a0))
NURA_FORWARD(int, archive_entry_atime_is_set, (struct archive_entry *a0), (a0))
NURA_FORWARD(long, archive_entry_atime_nsec, (struct archive_entry *a0), (a0))
NURA_FORWARD(struct archive_entry *, archive_entry_clear, (struct archive_entry *a0), (a0))
NURA_FORWARD(void, archive_entry_copy_hardlink, (struct archive_entry *a0, const char *a1), (a0, a1))
NURA_FORWARD(void, archive_entry_copy_pathname, (struct archive_entry *a0, const char *a1), (a0, a1))
NURA_FORWARD(__LA_MODE_T, archive_entry_filetype, (struct archive_entry *a0), (a0))
NURA_FORWARD(void, archive_entry_free, (struct archive_entry *a0), (a0))
NURA_FORWARD(const char *, archive_entry_hardlink, (struct archive_entry *a0), (a0))
NURA_FORWARD(time_t, archive_entry_mtime, (struct archive_entry *a0), (a0))
NURA_FORWARD(int, archive_entry_mtime_is_set, (struct archive_entry *a0), (a0))
NURA_FORWARD(long, archive_entry_mtime_nsec, (struct archive_entry *a0), (a0))
NURA_FORWARD(__LA_MODE_T, archive_entry_perm, (struct archive_entry *a0), (a0))
NURA_FORWARD(struct archive_entry *, archive_entry_new, (), ())
NURA_FORWARD(const char *, archive_entry_pathname, (struct archive_entry *a0), (a0))
NURA_FORWARD(void, archive_entry_set_hardlink, (struct archive_entry *a0, const char *a1), (a0, a1))
NURA_FORWARD(void, archive_entry_set_filetype, (struct archive_entry *a0, unsigned int a1), (a0, a1))
NURA_FORWARD(void, archive_entry_set_mtime, (struct archive_entry *a0, time_t a1, long a2), (a0, a1, a2))
NURA_FORWARD(void, archive_entry_set_pathname, (struct archive_entry *a0, const char *a1), (a0, a1))
NURA_FORWARD(void, archive_entry_set_perm, (struct archive_entry *a0, __LA_MODE_T a1), (a0, a1))
NURA_FORWARD(void, archive_entry_set_size, (struct archive_entry *a0, la_int64_t a1), (a0, a1))
NURA_FORWARD(void, archive_entry_set_symlink, (struct archive_entry *a0, const char *a1), (a0, a1))
NURA_FORWARD(la_int64_t, archive_entry_size, (struct archive_entry *a0), (a0))
NURA_FORWARD(int, archive_entry_size_is_set, (struct archive_entry *a0), (a0))
NURA_FORWARD(const char *, archive_entry_symlink, (struct archive_entry *a0), (a0))
NURA_FORWARD(const char *, archive_error_string, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_filter_code, (struct archive *a0, int a1), (a0, a1))
NURA_FORWARD(int, archive_filter_count, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_data_block, (struct archive *a0, const void **a1, size_t *a2, la_int64_t *a3), (a0, a1, a2, a3))
NURA_FORWARD(int, archive_read_extract2, (struct archive *a0, struct archive_entry *a1, struct archive *a2), (a0, a1, a2))
NURA_FORWARD(int, archive_read_free, (struct archive *a0), (a0))
NURA_FORWARD(struct archive *, archive_read_new, (), ())
NURA_FORWARD(int, archive_read_next_header, (struct archive *a0, struct archive_entry **a1), (a0, a1))
NURA_FORWARD(int, archive_read_open_filename, (struct archive *a0, const char *a1, size_t a2), (a0, a1, a2))
NURA_FORWARD(int, archive_read_set_format_option, (struct archive *a0, const char *a1, const char *a2, const char *a3), (a0, a1, a2, a3))
NURA_FORWARD(int, archive_read_support_filter_bzip2, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_filter_compress, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_filter_gzip, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_filter_rpm, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_format_7zip, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_format_ar, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_format_cab, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_format_cpio, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_format_lha, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_format_rar, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_format_rar5, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_format_tar, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_read_support_format_zip, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_add_filter_bzip2, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_add_filter_compress, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_add_filter_gzip, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_close, (struct archive *a0), (a0))
NURA_FORWARD(la_ssize_t, archive_write_data, (struct archive *a0, const void *a1, size_t a2), (a0, a1, a2))
NURA_FORWARD(struct archive *, archive_write_disk_new, (), ())
NURA_FORWARD(int, archive_write_disk_set_options, (struct archive *a0, int a1), (a0, a1))
NURA_FORWARD(int, archive_write_finish_entry, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_free, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_header, (struct archive *a0, struct archive_entry *a1), (a0, a1))
NURA_FORWARD(struct archive *, archive_write_new, (), ())
NURA_FORWARD(int, archive_write_open2, (struct archive *a0, void *a1, archive_open_callback *a2, archive_write_callback *a3, archive_close_callback *a4, archive_free_callback *a5), (a0, a1, a2, a3, a4, a5))
NURA_FORWARD(int, archive_write_open_filename, (struct archive *a0, const char *a1), (a0, a1))
NURA_FORWARD(int, archive_write_set_bytes_in_last_block, (struct archive *a0, int a1), (a0, a1))
NURA_FORWARD(int, archive_write_set_filter_option, (struct archive *a0, const char *a1, const char *a2, const char *a3), (a0, a1, a2, a3))
NURA_FORWARD(int, archive_write_set_format_7zip, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_set_format_ar_svr4, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_set_format_cpio_newc, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_set_format_option, (struct archive *a0, const char *a1, const char *a2, const char *a3), (a0, a1, a2, a3))
NURA_FORWARD(int, archive_write_set_format_pax_restricted, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_set_format_ustar, (struct archive *a0), (a0))
NURA_FORWARD(int, archive_write_set_format_zip, (struct archive *a0), (a0))
