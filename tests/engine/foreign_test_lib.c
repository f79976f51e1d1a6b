/* A small library that the tests of declared commands load and call: one
   function for each argument and return type. */
#include <stdio.h>
#include <string.h>

int add_ints(int a, int b) { return a + b; }
unsigned int dword_echo(unsigned int v) { return v; }
unsigned int dword_max(void) { return 0xFFFFFFFFu; }
unsigned short word_echo(unsigned short v) { return v; }
int is_positive(int v) { return v > 0; }
int negate(int v) { return -v; }

static int recorded;
void record(int v) { recorded = v; }
int last_recorded(void) { return recorded; }

static char greeting[128];
const char* greet(const char* name) {
  snprintf(greeting, sizeof greeting, "Hello, %s", name);
  return greeting;
}
const char* nothing(void) { return NULL; }

/* Writes at most size-1 bytes of "filled" and a NUL. */
int fill_buffer(char* buffer, int size) {
  const char text[] = "filled";
  int n = (int)sizeof text - 1;
  if (size <= 0) return 0;
  if (n > size - 1) n = size - 1;
  memcpy(buffer, text, (size_t)n);
  buffer[n] = 0;
  return n;
}

/* First style: every argument a text. */
int text_sum(const char* a, const char* b) { return (int)(strlen(a) + strlen(b)); }
static char joined[256];
const char* join3(const char* a, const char* b, const char* c) {
  snprintf(joined, sizeof joined, "%s-%s-%s", a, b, c);
  return joined;
}
