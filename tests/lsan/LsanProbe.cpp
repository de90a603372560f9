// A program that leaks on purpose, for the tests of tests/lsan.supp. The
// suppressions must keep hiding what Qt, fontconfig, glib and libgsf
// allocate for themselves and keep for the life of the process, and must
// not hide a leak of ours, even when Qt, glib or GObject called the code
// that leaked (their frames are then on the leak's stack).
//   lsan_probe none            the libraries' own allocations only
//   lsan_probe qt-signal       a leak in a slot that a Qt signal called
//   lsan_probe qt-event-loop   a leak in a timer callback of the event loop
//   lsan_probe glib-source     a leak in a callback of the glib main loop
//   lsan_probe gobject-notify  a leak in a GObject weak-reference callback

// glib's headers first: they use the word `signals`, which Qt's define.
#include <glib-object.h>
#include <gsf/gsf.h>

#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QObject>
#include <QPainter>
#include <QTimer>

#include <array>
#include <cstdio>
#include <cstring>

namespace {

// Written and dropped, so that the allocation is neither optimised away
// nor reachable at exit.
void* volatile lastAllocation = nullptr;

__attribute__((noinline)) void leak(std::size_t size) {
  char* p = new char[size];
  std::memset(p, 1, size);
  lastAllocation = p;
  lastAllocation = nullptr;
}

__attribute__((noinline)) void kroynaLeakInQtSlot() { leak(101); }
__attribute__((noinline)) void kroynaLeakInQtTimer() { leak(102); }
__attribute__((noinline)) gboolean kroynaLeakInGlibSource(gpointer) {
  leak(103);
  return G_SOURCE_REMOVE;
}
__attribute__((noinline)) void kroynaLeakInGObjectNotify(gpointer, GObject*) { leak(104); }

// The dead frames of the leaking call may still hold the address it
// dropped, and the frames of the leak check at exit reuse that stack
// without writing every slot: found there, the leak would look reachable
// on some runs. Zeroed (uninstrumented, so on the real stack), it cannot.
__attribute__((noinline, no_sanitize_address)) void wipeDeadFrames() {
  volatile char area[64 * 1024];
  for (std::size_t i = 0; i < sizeof area; ++i) area[i] = 0;
}

class Sender : public QObject {
  Q_OBJECT
 Q_SIGNALS:
  void fired();
};

// Qt's fonts (fontconfig, freetype) and a compound file written and read
// back in memory (libgsf, GObject types), as the program uses them.
void useTheLibraries() {
  QImage image(200, 50, QImage::Format_ARGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  // A family the machine lacks, as in the shipped report templates: Qt
  // asks fontconfig for a substitute.
  painter.setFont(QFont(QStringLiteral("Arial"), 12));
  painter.drawText(10, 30, QStringLiteral("Раскрой 2800 × 2070"));
  painter.end();

  gsf_init();
  GsfOutput* sink = gsf_output_memory_new();
  GsfOutfile* file = gsf_outfile_msole_new(sink);
  GsfOutput* stream = gsf_outfile_new_child(file, "Stream", FALSE);
  const guint8 bytes[] = {1, 2, 3, 4};
  gsf_output_write(stream, sizeof bytes, bytes);
  gsf_output_close(stream);
  g_object_unref(stream);
  gsf_output_close(GSF_OUTPUT(file));
  g_object_unref(file);
  const gsf_off_t size = gsf_output_size(sink);
  GsfInput* input = gsf_input_memory_new(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink)), size, FALSE);
  GError* error = nullptr;
  GsfInfile* back = gsf_infile_msole_new(input, &error);
  if (back) g_object_unref(back);
  if (error) g_error_free(error);
  g_object_unref(input);
  g_object_unref(sink);
}

}  // namespace

int main(int argc, char** argv) {
  const char* mode = argc > 1 ? argv[1] : "none";
  qputenv("QT_QPA_PLATFORM", "offscreen");
  // Kept to the end of the process, as the report tests keep theirs.
  static QGuiApplication* const application = new QGuiApplication(argc, argv);
  QGuiApplication& app = *application;
  useTheLibraries();
  if (std::strcmp(mode, "qt-signal") == 0) {
    Sender sender;
    QObject::connect(&sender, &Sender::fired, &kroynaLeakInQtSlot);
    Q_EMIT sender.fired();
  } else if (std::strcmp(mode, "qt-event-loop") == 0) {
    QTimer::singleShot(0, &kroynaLeakInQtTimer);
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    app.exec();
  } else if (std::strcmp(mode, "glib-source") == 0) {
    g_idle_add(&kroynaLeakInGlibSource, nullptr);
    while (g_main_context_iteration(nullptr, FALSE)) {
    }
  } else if (std::strcmp(mode, "gobject-notify") == 0) {
    GObject* object = G_OBJECT(gsf_output_memory_new());
    g_object_weak_ref(object, &kroynaLeakInGObjectNotify, nullptr);
    g_object_unref(object);
  } else if (std::strcmp(mode, "none") != 0) {
    std::fprintf(stderr, "lsan_probe: unknown mode %s\n", mode);
    return 2;
  }
  wipeDeadFrames();
  return 0;
}

#include "LsanProbe.moc"
