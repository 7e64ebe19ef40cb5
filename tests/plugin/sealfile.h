// Seal files built in memory for the plug-in's tests: header fields and 80-byte
// records at the offsets both deliverables share.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "files/sealfmt.h"

struct SealBuilder {
  std::vector<uint8_t> head = std::vector<uint8_t>(256, 0);
  std::vector<uint8_t> recs;

  SealBuilder() {
    std::memcpy(head.data() + SLF_OFF_MAGIC, SLF_MAGIC, SLF_MAGICLEN);
    slf_put<int16_t>(head.data(), SLF_OFF_VERSION, 1);
  }
  SealBuilder &outline(int kind, double ox, double oy, double w, double h) {
    slf_put<uint16_t>(head.data(), SLF_OFF_OUTLINE, uint16_t(kind));
    slf_put<double>(head.data(), SLF_OFF_ORIGINX, ox);
    slf_put<double>(head.data(), SLF_OFF_ORIGINY, oy);
    slf_put<double>(head.data(), SLF_OFF_WIDTH, w);
    slf_put<double>(head.data(), SLF_OFF_HEIGHT, h);
    return *this;
  }
  SealBuilder &owner(const char *name, const char *password, int level = 0, const char *seal = "seal") {
    std::memcpy(head.data() + SLF_OFF_OWNER, name, std::strlen(name));
    std::memcpy(head.data() + SLF_OFF_PASSWORD, password, std::strlen(password));
    std::memcpy(head.data() + SLF_OFF_NAME, seal, std::strlen(seal));
    slf_put<int16_t>(head.data(), SLF_OFF_PERMIT, int16_t(level));
    return *this;
  }
  uint8_t *add(int kind) {
    recs.resize(recs.size() + 80, 0);
    uint8_t *r = recs.data() + recs.size() - 80;
    slf_put<uint16_t>(r, 4, uint16_t(kind));
    slf_put<int32_t>(r, 66, -1);
    return r;
  }
  SealBuilder &line(double x1, double y1, double x2, double y2) {
    uint8_t *r = add(2);
    slf_put<double>(r, 20, x1);
    slf_put<double>(r, 28, y1);
    slf_put<double>(r, 36, x2);
    slf_put<double>(r, 44, y2);
    return *this;
  }
  SealBuilder &arc(double cx, double cy, double rad, double s, double e) {
    uint8_t *r = add(4);
    slf_put<double>(r, 20, cx);
    slf_put<double>(r, 28, cy);
    slf_put<double>(r, 36, rad);
    slf_put<double>(r, 44, s);
    slf_put<double>(r, 52, e);
    return *this;
  }
  // A text record with its continuation records following it.
  SealBuilder &text(const std::string &t, float x, float y, float h, float w, float p, unsigned attr = 0) {
    const int first = int(recs.size() / 80) + 1;
    uint8_t *r = add(8);
    slf_put<float>(r, 20, x);
    slf_put<float>(r, 24, y);
    slf_put<float>(r, 28, h);
    slf_put<float>(r, 32, w);
    slf_put<float>(r, 36, p);
    slf_put<uint16_t>(r, 48, uint16_t(attr));
    slf_put<int16_t>(r, 50, int16_t(t.size()));
    std::memcpy(r + 52, t.data(), t.size() < 14 ? t.size() : 14);
    int prev = first;
    for (std::size_t at = 14; at < t.size(); at += 46) {
      uint8_t *c = add(0);
      slf_put<uint16_t>(c, 0, 0x8000); // continuation record
      std::memcpy(c + 20, t.data() + at, t.size() - at < 46 ? t.size() - at : 46);
      const int me = int(recs.size() / 80);
      slf_put<int32_t>(recs.data() + (prev - 1) * 80, 66, me);
      prev = me;
    }
    return *this;
  }
  std::vector<uint8_t> bytes(int count = -99) const {
    std::vector<uint8_t> out = head;
    slf_put<int32_t>(out.data(), SLF_OFF_COUNT, count == -99 ? int32_t(recs.size() / 80) : count);
    out.insert(out.end(), recs.begin(), recs.end());
    return out;
  }
};
