"""`egl-frames`: a trace of frames ended by eglSwapBuffers, and its broken variants."""
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
            w.record(egl.ID["eglSwapBuffers"],
                     egl.swap_buffers(w, frame=frame + 1, width=width, height=height, image=image,
                                      image_size=oversize))
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
    p.add_argument("--oversize-block", action="store_true",
                   help="the last frame image block declares more bytes than its record holds")
    p.set_defaults(func=run)
