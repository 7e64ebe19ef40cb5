// Another program driving the editor: a plain DDEML client that pokes CMDL lines and
// requests the reply after each, and checks that every reply is its own poke's.
//   ddepeer <lines> <result file>
// The result file gets "<lines> <acknowledged> <adds> <wrong replies> <ms>" and then
// the first wrong replies, one a line. Exit code 0 when all were right.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "../../../bench/ddeplain.h"

int main(int argc, char **argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: ddepeer <lines> <result file>\n");
    return 2;
  }
  const int lines = std::atoi(argv[1]);
  plain::Client c;
  if (!c.start() || !c.connect(30000)) {
    std::fprintf(stderr, "no conversation\n");
    return 3;
  }
  // A cycle of five lines whose replies all differ from their neighbours', so that a
  // reply that belongs to another poke cannot pass: add a line, set a pen (empty
  // reply), read the line back, add a point, read the point back.
  int acked = 0, adds = 0, wrong = 0;
  long last = -1; // number of the element added last
  std::vector<std::string> notes;
  const DWORD begin = GetTickCount();
  for (int i = 0; i < lines; i++) {
    const int k = i / 5;
    char line[128], expect[128] = "";
    bool number = false; // the reply is a new element's number
    switch (i % 5) {
    case 0:
      std::snprintf(line, sizeof line, "LINE %d 0 %d 10", k, k);
      number = true;
      break;
    case 1:
      std::snprintf(line, sizeof line, "COLOR %d", 1 + k % 9);
      break;
    case 2:
      std::snprintf(line, sizeof line, "ELMRD %ld", last);
      std::snprintf(expect, sizeof expect, "%ld 2 %d 0 %d 10", last, k, k);
      break;
    case 3:
      std::snprintf(line, sizeof line, "POINT %d 1", k);
      number = true;
      break;
    default:
      std::snprintf(line, sizeof line, "PNTRD %ld", last);
      std::snprintf(expect, sizeof expect, "%ld 1 %d 1", last, k);
      break;
    }
    if (c.poke(line) == DDE_FACK)
      acked++;
    std::string reply;
    const bool got = c.request(&reply);
    bool ok = got;
    if (number) {
      const long n = std::strtol(reply.c_str(), nullptr, 10);
      ok = ok && n > 0 && (last < 0 || n == last + 1) && reply == std::to_string(n);
      if (ok) {
        last = n;
        adds++;
      } else if (last > 0) {
        last++; // keep the expectation of the next ones
      }
    } else {
      ok = ok && reply == expect;
    }
    if (!ok) {
      wrong++;
      if (notes.size() < 5)
        notes.push_back(std::to_string(i) + " " + line + " -> " + (got ? "\"" + reply + "\"" : "no data"));
    }
  }
  const DWORD ms = GetTickCount() - begin;
  c.end();
  FILE *f = std::fopen(argv[2], "w");
  if (!f)
    return 4;
  std::fprintf(f, "%d %d %d %d %lu\n", lines, acked, adds, wrong, static_cast<unsigned long>(ms));
  for (const std::string &n : notes)
    std::fprintf(f, "%s\n", n.c_str());
  std::fclose(f);
  return wrong == 0 && acked == lines ? 0 : 1;
}
