// Small Windows program files made in the tests: a PE32 header with one
// ".rsrc" section that holds a resource tree (types, ids, one language
// each), and icon groups of one-colour images.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>


namespace nura::test {

struct TPeResource {
  uint32_t type, id;
  std::string data;
};

inline void PutU16(std::string& s, size_t at, uint32_t v) {
  if (s.size() < at + 2) s.resize(at + 2, '\0');
  s[at] = static_cast<char>(v & 0xFF), s[at + 1] = static_cast<char>((v >> 8) & 0xFF);
}
inline void PutU32(std::string& s, size_t at, uint32_t v) { PutU16(s, at, v & 0xFFFF), PutU16(s, at + 2, v >> 16); }

constexpr uint32_t kPeSectionAddress = 0x1000, kPeSectionFileOffset = 0x200;

// The resource section of `resources`: root, type directories, language
// directories, data entries, then the data.
inline std::string ResourceSection(const std::vector<TPeResource>& resources) {
  std::map<uint32_t, std::vector<const TPeResource*>> byType;
  for (const TPeResource& r : resources) byType[r.type].push_back(&r);
  std::string s;
  size_t next = 16 + 8 * byType.size();  // after the root
  std::vector<std::pair<size_t, const TPeResource*>> languageDirs;
  PutU16(s, 14, static_cast<uint32_t>(byType.size()));
  size_t rootEntry = 16;
  for (const auto& [type, list] : byType) {
    const size_t typeDir = next;
    next += 16 + 8 * list.size();
    PutU32(s, rootEntry, type), PutU32(s, rootEntry + 4, 0x80000000u | static_cast<uint32_t>(typeDir));
    rootEntry += 8;
    PutU16(s, typeDir + 14, static_cast<uint32_t>(list.size()));
    for (size_t i = 0; i < list.size(); ++i) {
      languageDirs.push_back({next, list[i]});
      PutU32(s, typeDir + 16 + 8 * i, list[i]->id);
      PutU32(s, typeDir + 20 + 8 * i, 0x80000000u | static_cast<uint32_t>(next));
      next += 16 + 8;
    }
  }
  size_t dataAt = next + 16 * languageDirs.size();
  for (const auto& [dir, resource] : languageDirs) {
    PutU16(s, dir + 14, 1);
    PutU32(s, dir + 16, 0x409), PutU32(s, dir + 20, static_cast<uint32_t>(next));
    PutU32(s, next, kPeSectionAddress + static_cast<uint32_t>(dataAt));
    PutU32(s, next + 4, static_cast<uint32_t>(resource->data.size()));
    next += 16;
    s.resize(dataAt, '\0');
    s += resource->data;
    dataAt = (s.size() + 3) / 4 * 4;
  }
  return s;
}

// A PE32 file whose one section holds the resources.
inline std::string PeFile(const std::vector<TPeResource>& resources) {
  const std::string section = ResourceSection(resources);
  std::string f(kPeSectionFileOffset, '\0');
  f[0] = 'M', f[1] = 'Z';
  PutU32(f, 0x3C, 0x40);
  f.replace(0x40, 4, std::string("PE\0\0", 4));
  const size_t coff = 0x44, optional = coff + 20, sections = optional + 224;
  PutU16(f, coff, 0x14C), PutU16(f, coff + 2, 1), PutU16(f, coff + 16, 224), PutU16(f, coff + 18, 0x102);
  PutU16(f, optional, 0x10B);
  PutU32(f, optional + 92, 16);
  PutU32(f, optional + 96 + 16, kPeSectionAddress), PutU32(f, optional + 96 + 20, static_cast<uint32_t>(section.size()));
  f.replace(sections, 5, ".rsrc");
  PutU32(f, sections + 8, static_cast<uint32_t>(section.size()));
  PutU32(f, sections + 12, kPeSectionAddress);
  PutU32(f, sections + 16, static_cast<uint32_t>(section.size()));
  PutU32(f, sections + 20, kPeSectionFileOffset);
  return f + section;
}

// A 32-bit icon image (a DIB of doubled height with its mask) of `size`
// pixels square in one colour 0x00BBGGRR, whose bottom-left pixel is
// clear; and its 16-byte icon directory entry (offset 0).
inline std::pair<std::string, std::string> IconImageOf(int size, uint32_t colour) {
  std::string image;
  PutU32(image, 0, 40), PutU32(image, 4, static_cast<uint32_t>(size)), PutU32(image, 8, static_cast<uint32_t>(2 * size));
  PutU16(image, 12, 1), PutU16(image, 14, 32), PutU32(image, 36, 0);
  for (int i = 0; i < size * size; ++i) {
    image += {static_cast<char>(colour >> 16), static_cast<char>(colour >> 8), static_cast<char>(colour), '\0'};
  }
  const size_t maskRow = (static_cast<size_t>(size) + 31) / 32 * 4, mask = image.size();
  image.append(maskRow * static_cast<size_t>(size), '\0');
  image[mask] = static_cast<char>(0x80);  // the first row is the bottom one
  std::string entry(16, '\0');
  entry[0] = static_cast<char>(size & 0xFF), entry[1] = static_cast<char>(size & 0xFF);
  PutU16(entry, 4, 1), PutU16(entry, 6, 32), PutU32(entry, 8, static_cast<uint32_t>(image.size()));
  return {image, entry};
}

// An icon group of images (size, colour), as resources: the images get the ids
// from `firstId` on; the group gets `groupId`.
inline void AddIconGroup(std::vector<TPeResource>& resources, uint32_t groupId, uint32_t firstId,
                         const std::vector<std::pair<int, uint32_t>>& pictures) {
  std::string group;
  PutU16(group, 2, 1), PutU16(group, 4, static_cast<uint32_t>(pictures.size()));
  for (size_t i = 0; i < pictures.size(); ++i) {
    const auto [image, entry] = IconImageOf(pictures[i].first, pictures[i].second);
    const uint32_t id = firstId + static_cast<uint32_t>(i);
    group += entry.substr(0, 12);
    PutU16(group, group.size(), id);
    resources.push_back({3, id, image});
  }
  resources.push_back({14, groupId, group});
}

}  // namespace nura::test
