#include "platform/linux/webkit/ComInputStream.h"

#include <algorithm>

namespace zel::webkit {
namespace {

struct TComInputStream {
  GInputStream Parent;
  IStream* Stream;
};

struct TComInputStreamClass {
  GInputStreamClass Parent;
};

G_DEFINE_TYPE(TComInputStream, zel_com_input_stream, G_TYPE_INPUT_STREAM)

gssize ReadFn(GInputStream* self, void* buffer, gsize count, GCancellable*, GError** error) {
  IStream* stream = reinterpret_cast<TComInputStream*>(self)->Stream;
  const auto wanted = static_cast<ULONG>(std::min<gsize>(count, 1u << 30));
  ULONG read = 0;
  if (!stream || FAILED(stream->Read(buffer, wanted, &read))) {
    g_set_error_literal(error, G_IO_ERROR, G_IO_ERROR_FAILED, "The response could not be read");
    return -1;
  }
  return static_cast<gssize>(read);
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
}

}  // namespace

GInputStream* NewComInputStream(IStream* stream) {
  auto* self =
      static_cast<TComInputStream*>(g_object_new(zel_com_input_stream_get_type(), nullptr));
  self->Stream = stream;
  if (stream) stream->AddRef();
  return G_INPUT_STREAM(self);
}

}  // namespace zel::webkit
