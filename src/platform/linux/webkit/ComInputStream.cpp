#include "platform/linux/webkit/ComInputStream.h"

#include <algorithm>

namespace zel::webkit {
namespace {

struct TComInputStream {
  GInputStream Parent;
  IStream* Stream;
  bool InPlace;
};

struct TComInputStreamClass {
  GInputStreamClass Parent;
};

void zel_com_input_stream_pollable_init(GPollableInputStreamInterface* iface);

G_DEFINE_TYPE_WITH_CODE(TComInputStream, zel_com_input_stream, G_TYPE_INPUT_STREAM,
                        G_IMPLEMENT_INTERFACE(G_TYPE_POLLABLE_INPUT_STREAM,
                                              zel_com_input_stream_pollable_init))

gssize Read(TComInputStream* self, void* buffer, gsize count, GError** error) {
  IStream* stream = self->Stream;
  const auto wanted = static_cast<ULONG>(std::min<gsize>(count, 1u << 30));
  ULONG read = 0;
  if (!stream || FAILED(stream->Read(buffer, wanted, &read))) {
    g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_FAILED, "The response could not be read");
    return -1;
  }
  return static_cast<gssize>(read);
}

gssize ReadFn(GInputStream* self, void* buffer, gsize count, GCancellable*, GError** error) {
  return Read(reinterpret_cast<TComInputStream*>(self), buffer, count, error);
}

// A stream read in place is always readable: WebKit then reads chunk after
// chunk on its own thread, as it reads a memory stream, instead of sending
// each 8 KB chunk to a worker thread and back.
gboolean CanPoll(GPollableInputStream* self) {
  return reinterpret_cast<TComInputStream*>(self)->InPlace;
}

gboolean IsReadable(GPollableInputStream*) {
  return TRUE;
}

gssize ReadNonBlocking(GPollableInputStream* self, void* buffer, gsize count, GError** error) {
  return Read(reinterpret_cast<TComInputStream*>(self), buffer, count, error);
}

GSource* CreateSource(GPollableInputStream* self, GCancellable* cancellable) {
  GSource* always = g_timeout_source_new(0);
  GSource* source = g_pollable_source_new_full(self, always, cancellable);
  g_source_unref(always);
  return source;
}

void zel_com_input_stream_pollable_init(GPollableInputStreamInterface* iface) {
  iface->can_poll = CanPoll;
  iface->is_readable = IsReadable;
  iface->read_nonblocking = ReadNonBlocking;
  iface->create_source = CreateSource;
}

void Finalize(GObject* object) {
  auto* self = reinterpret_cast<TComInputStream*>(object);
  if (self->Stream) self->Stream->Release();
  self->Stream = nullptr;
  G_OBJECT_CLASS(zel_com_input_stream_parent_class)->finalize(object);
}

void zel_com_input_stream_class_init(TComInputStreamClass* klass) {
  G_INPUT_STREAM_CLASS(klass)->read_fn = ReadFn;
  G_OBJECT_CLASS(klass)->finalize = Finalize;
}

void zel_com_input_stream_init(TComInputStream* self) {
  self->Stream = nullptr;
  self->InPlace = false;
}

}  // namespace

GInputStream* NewComInputStream(IStream* stream, bool inPlace) {
  auto* self =
      static_cast<TComInputStream*>(g_object_new(zel_com_input_stream_get_type(), nullptr));
  self->Stream = stream;
  self->InPlace = inPlace;
  if (stream) stream->AddRef();
  return G_INPUT_STREAM(self);
}

}  // namespace zel::webkit
