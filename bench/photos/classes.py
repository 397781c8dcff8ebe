"""The case classes every photo generator draws, and which panel each is for.

kind: "signature" (the dark pen is the ink), "seal" (the red seal is the ink,
print under it is not), "none" (no ink: the truth is empty).
"""

CLASSES = [
    # paper with lines: the lines are paper, not ink
    ("ruled", "signature"),
    ("squared", "signature"),
    ("legal-pad", "signature"),
    ("margin-line", "signature"),
    # shadows
    ("finger-shadow", "signature"),
    ("soft-shadow", "signature"),
    ("seal-hard-shadow", "seal"),
    # faint ink
    ("faint-handwriting", "signature"),
    ("seal-faded-corner", "seal"),
    ("flash-glare", "signature"),
    # colour
    ("seal-over-print", "seal"),
    ("signed-and-sealed", "signature"),
    # fine detail
    ("thin-ballpoint", "signature"),
    ("blurred", "signature"),
    ("i-dots", "signature"),
    # no ink or nearly none
    ("blank", "none"),
    ("lone-speck", "none"),
    ("pencil-on-cream", "signature"),
    # what works today
    ("uneven-light", "signature"),
    ("vignette", "signature"),
    ("kraft", "signature"),
    ("cream", "signature"),
    ("pencil", "signature"),
    ("noise", "signature"),
    ("jpeg-q60", "signature"),
    ("cut-by-border", "signature"),
    ("seal-plain", "seal"),
    # a stamp in another hue than red (blue, violet) over black print
    ("seal-blue-over-print", "seal"),
]

KIND = dict(CLASSES)
