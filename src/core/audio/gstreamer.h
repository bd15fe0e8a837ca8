#pragma once

#include <QString>

typedef struct _GstMessage GstMessage;
typedef struct _GstElement GstElement;

namespace vc::gst {

// Initialises GStreamer once per process; later calls only return whether
// that worked. Safe from any thread.
bool init();

// The Debian package that holds what a missing-plug-in message (or a
// failed gst_element_factory_make of `element`) asks for; empty when the
// message is not about a missing plug-in.
QString missingPluginPackage(GstMessage *message);
QString elementPackage(const QString &element);

// Builds a pipeline from its description; null with the reason in `error`
// when it cannot be built.
GstElement *parse(const char *description, QString *error);

// "No decoder for <what> is installed: install the Debian package <pkg>."
QString missingPluginText(GstMessage *message);

} // namespace vc::gst
