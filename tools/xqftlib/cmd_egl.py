"""`egl-frames`, `egl-session`, `egl-every`: EGL traces for the loader and EGL record tests."""
from . import egl, trace
from .cmd_raw import add_header_options, writer_from


def run(args):
    w = writer_from(args)
    width, height = (int(v) for v in args.image.split("x")) if args.image else (0, 0)
    if not args.header_only:
        for frame in range(args.frames):
            last = frame == args.frames - 1
            image = egl.frame_image(width, height, frame) if width and height else b""
            oversize = len(image) + 1 if (last and args.oversize_block) else None
            if last and args.oversize_block and w.version < 10:
                raise SystemExit("--oversize-block needs version 10 or later (frame image block)")
            claimed = args.claim and (not args.claim_frame or args.claim_frame == frame + 1)
            cw, ch = (int(v) for v in args.claim.split("x")) if claimed else (width, height)
            w.record(egl.ID["eglSwapBuffers"],
                     egl.swap_buffers(w, frame=frame + 1, width=cw, height=ch, image=image,
                                      image_size=oversize))
        if args.open_end:
            w.record(egl.ID["eglGetError"], egl.encode(w, egl.ID["eglGetError"], {"return": egl.EGL_SUCCESS}))
    w.write(args.out, args.cut)
    return 0


def register(subparsers):
    p = subparsers.add_parser("egl-frames", help="frames ended by eglSwapBuffers")
    p.add_argument("out")
    add_header_options(p)
    p.add_argument("--frames", type=int, default=3, help="number of eglSwapBuffers records")
    p.add_argument("--image", default=None, metavar="WxH", help="frame image size (version 10+)")
    p.add_argument("--header-only", action="store_true", help="write the header and no record")
    p.add_argument("--cut", type=int, default=0, help="drop this many bytes from the end")
    p.add_argument("--claim", default=None, metavar="WxH",
                   help="record this frame size whatever the image holds (a short or absurd image)")
    p.add_argument("--open-end", action="store_true",
                   help="an eglGetError after the last eglSwapBuffers: the last frame stays open")
    p.add_argument("--claim-frame", type=int, default=0, metavar="N",
                   help="make only frame N (1-based) claim the --claim size")
    p.add_argument("--oversize-block", action="store_true",
                   help="the last frame image block declares more bytes than its record holds")
    p.set_defaults(func=run)
    register_more(subparsers)


# Handles of the generated session.
DPY, CONFIG, CTX, SURFACE, WINDOW = 1, 0x11, 0x21, 0x31, 0x55
CONFIG_ATTRIBS = [0x3024, 8, 0x3023, 8, 0x3022, 8, 0x3040, 4, egl.EGL_NONE]
CONTEXT_ATTRIBS = [0x3098, 2, egl.EGL_NONE]
SURFACE_ATTRIBS = [0x3086, 0x3084, egl.EGL_NONE]


def open_session(w, width, height, fail_create=False, context_attribs=None, read_surface=None,
                 destroy_unknown=False):
    """eglGetDisplay to eglSwapInterval: a display, an ES 2.0 context and a window surface of the
    given size made current (handles DPY, CONFIG, CTX, SURFACE, WINDOW)."""
    def call(name, error=egl.EGL_SUCCESS, **values):
        w.record(egl.ID[name], egl.encode(w, egl.ID[name], values, error))

    call("eglGetDisplay", **{"return": DPY, "NativeDisplayType": 0, "display_id": 0})
    call("eglInitialize", **{"return": egl.EGL_TRUE, "dpy": DPY, "major_v": [1], "minor_v": [4]})
    call("eglBindAPI", **{"return": egl.EGL_TRUE, "api": 0x30A0})
    call("eglChooseConfig", **{"return": egl.EGL_TRUE, "dpy": DPY, "attrib_list": CONFIG_ATTRIBS,
                               "configs": [CONFIG], "config_size": 1, "num_config": [1]})
    if fail_create:
        # EGL_BAD_CONFIG: no context was made, so none may be tracked.
        call("eglCreateContext", error=0x3005, **{"return": 0x99, "dpy": DPY, "config": 0x77,
                                                  "attrib_list": CONTEXT_ATTRIBS})
    call("eglCreateContext", **{"return": CTX, "dpy": DPY, "config": CONFIG, "share_context": 0,
                                "attrib_list": context_attribs or CONTEXT_ATTRIBS,
                                "attrib_list_config": CONFIG_ATTRIBS})
    call("eglCreateWindowSurface", **{"return": SURFACE, "dpy": DPY, "config": CONFIG,
                                      "win": (WINDOW, width, height), "attrib_list": None,
                                      "surface_attribs": SURFACE_ATTRIBS})
    read = read_surface if read_surface is not None else SURFACE
    call("eglMakeCurrent", **{"return": egl.EGL_TRUE, "dpy": DPY, "draw": SURFACE, "read": read,
                              "ctx": CTX, "config": CONFIG, "attribs": CONTEXT_ATTRIBS})
    call("eglSwapInterval", **{"return": egl.EGL_TRUE, "dpy": DPY, "interval": 0})
    if destroy_unknown:
        call("eglDestroySurface", **{"return": egl.EGL_TRUE, "dpy": DPY, "surface": 0x999})
        call("eglDestroyContext", **{"return": egl.EGL_TRUE, "dpy": DPY, "ctx": 0x998})


def session(args):
    w = writer_from(args)
    width, height = (int(v) for v in args.image.split("x"))

    def call(name, error=egl.EGL_SUCCESS, **values):
        w.record(egl.ID[name], egl.encode(w, egl.ID[name], values, error))

    context_attribs = [int(v, 0) for v in args.context_attribs.split(",")] if args.context_attribs else None
    open_session(w, width, height, fail_create=args.fail_create, context_attribs=context_attribs,
                 read_surface=args.read_surface, destroy_unknown=args.destroy_unknown)
    for frame in range(1, args.frames + 1):
        call("eglGetError", **{"return": egl.EGL_SUCCESS})
        image = egl.frame_image(width, height, frame)
        w.record(egl.ID["eglSwapBuffers"],
                 egl.swap_buffers(w, dpy=DPY, surface=SURFACE, frame=frame, width=width, height=height,
                                  image=image))
        if args.images_to:
            with open("%s%d.rgba" % (args.images_to, frame), "wb") as f:
                f.write(image)
    call("eglMakeCurrent", **{"return": egl.EGL_TRUE, "dpy": DPY})
    call("eglDestroySurface", **{"return": egl.EGL_TRUE, "dpy": DPY, "surface": SURFACE})
    call("eglDestroyContext", **{"return": egl.EGL_TRUE, "dpy": DPY, "ctx": CTX})
    call("eglTerminate", **{"return": egl.EGL_TRUE, "dpy": DPY})
    w.write(args.out, args.cut)
    return 0


def every_record(args):
    """One record of every EGL id with the given values for every item (the factory table test)."""
    w = writer_from(args)
    for rec_id in sorted(set(row[0] for row in egl.LAYOUTS)):
        if egl.layout(rec_id, w.version) is not None:
            w.record(rec_id, egl.encode(w, rec_id, {}))
    w.write(args.out)
    return 0


def register_more(subparsers):
    p = subparsers.add_parser("egl-session", help="an EGL session: display, context, surface, frames, teardown")
    p.add_argument("out")
    add_header_options(p)
    p.add_argument("--frames", type=int, default=3)
    p.add_argument("--image", default="4x2", metavar="WxH", help="frame image size (version 10+)")
    p.add_argument("--fail-create", action="store_true", help="add a failed eglCreateContext first")
    p.add_argument("--destroy-unknown", action="store_true",
                   help="destroy a surface and a context that were never created")
    p.add_argument("--context-attribs", default=None, metavar="V,V,...",
                   help="the context's attribute list as recorded (EGL_NONE not added)")
    p.add_argument("--images-to", default=None, metavar="PREFIX",
                   help="also write each frame's image to PREFIX<frame>.rgba")
    p.add_argument("--read-surface", type=lambda v: int(v, 0), default=None, metavar="HANDLE",
                   help="make current with this read surface (default: the window surface, also drawn)")
    p.add_argument("--cut", type=int, default=0, help="drop this many bytes from the end")
    p.set_defaults(func=session)
    p = subparsers.add_parser("egl-every", help="one record of every EGL id in the version's layout")
    p.add_argument("out")
    add_header_options(p)
    p.set_defaults(func=every_record)
