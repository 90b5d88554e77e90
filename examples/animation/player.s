; An animation player for Tilvex's batch export: the frames of ANI.asm in turn at a steady
; rate, Start to pause.
;
; Each frame's index entry (ANIINDEX.asm) gives its 512 KB region of ANIPGT.BIN (times
; 16, after V_Bank0), the 2 KB page of its first tile in that region (after V_Bank1), the
; 8 KB bank where its name table begins (after PNT_Bank) and the name table's label,
; which counts from $8000 in that bank. ANIPAL.asm holds each frame's 16 colours, 32 bytes
; a frame in frame order. The frames are 256 x 240 in 16 colours with the 12-bit palette
; and use palette 0 only (the export keeps no attributes).
;
; The next frame's name table is copied into the hidden one of the two name tables a
; chunk per vertical blank; the switch itself (name table, tile pages, palette) happens
; in one vertical blank, so a frame is never seen half drawn.

.include "vt03.inc"
.include "console.inc"
.include "tilvex.inc"

CTRL_SHOWING    = $88       ; NMI on; background tiles at $0000, sprite fetches at $1000
MASK_SHOWING    = $0A       ; background on, also in the leftmost column; no sprites
CHR_INVERTED    = $80       ; MMC3 select: the 1 KB pages (commands 2-5) at $0000
VIDEO_MODE      = $82       ; 16 colours, 12-bit palette
CHUNK           = 96        ; name-table bytes copied in one vertical blank
CHUNKS          = 10        ; 960 bytes: 32 x 30 cells
RATE            = 12        ; vertical blanks a frame stays (at least CHUNKS + 1)
NO_FRAME        = $FF

.assert CHUNK * CHUNKS = 960, error, "the chunks must cover one name table"
.assert RATE > CHUNKS, error, "a frame must be copied before it is shown"

; Tilvex's index values count from these: regions and pages from the start of the tile
; data (found at run time, see tile_base.s), name-table banks from the game's first bank.
V_Bank0         = 0
V_Bank1         = 0
PNT_Bank        = 0
.ifndef TILE_OFFSET_2K
TILE_OFFSET_2K  = 0         ; where the tile data lies past the game's own tile data
.endif
.ifndef FIRST_FRAME
FIRST_FRAME     = 0         ; the frame played first
.endif

.segment "ZEROPAGE"
shown:          .res 1      ; frame on the screen, $FF before the first (read by the tests)
next:           .res 1      ; frame being prepared
chunk:          .res 1      ; chunks of it copied
timer:          .res 1      ; vertical blanks until the switch
paused:         .res 1
hidden:         .res 1      ; name table being written: 0 ($2000) or 1 ($2400)
pad:            .res 1
padPrev:        .res 1
pntPtr:         .res 2      ; the next frame's name table, read on from here
palPtr:         .res 2
nextE1k:        .res 2      ; its tiles' undoubled 1 KB page
ptr:            .res 2
tmp:            .res 1
tileBase:       .res 2
savedOuter:     .res 1
savedChrHigh:   .res 1
savedBankSize:  .res 1
undoubled:      .res 1
e1k:            .res 2
frameCount:     .res 1

.segment "CODE"

reset:
        resetConsole
        clearRam
        lda #NO_FRAME           ; nothing shown yet, from the first moment a test may look
        sta shown
        waitVblank

        jsr locateTiles
        lda tileBase
        clc
        adc #<TILE_OFFSET_2K
        sta tileBase
        lda tileBase+1
        adc #>TILE_OFFSET_2K
        sta tileBase+1
        lda #VIDEO_MODE
        sta VT_VIDEO_MODE
        lda #0
        sta MMC3_MIRRORING      ; vertical: two name tables side by side
        sta PPU_CTRL            ; after the VT03 registers, which alias it on a plain NES

        ; Both name tables and their attributes cleared (palette 0 everywhere).
        setVideoAddress NAME_TABLE_0
        lda #0
        tax
        ldy #8
@names:
        sta PPU_DATA
        inx
        bne @names
        dey
        bne @names

        hideSprites

        ; The first frame into name table 1 with the screen off; the first blank shows it.
        lda #NO_FRAME
        sta shown
        lda #FIRST_FRAME
        sta next
        lda #1
        sta hidden
        jsr prepare
@copy:
        jsr copyChunk
        lda chunk
        cmp #CHUNKS
        bne @copy
        lda #1
        sta timer
        lda #CTRL_SHOWING
        sta PPU_CTRL
mainLoop:
        waitFrameCount frameCount
        jsr readPad
        newPresses pad, padPrev
        and #PAD_START
        beq mainLoop
        lda paused
        eor #1
        sta paused
        jmp mainLoop

readPad:
        readPad1 pad
        rts

; Reads frame `next`'s index entry: its tiles, its name table (banks mapped at $8000 and
; $A000) and its palette; no chunk copied yet.
prepare:
        lda next
        asl a
        tay
        lda frames,y
        sta ptr
        lda frames+1,y
        sta ptr+1
        ldy #0
        lda (ptr),y             ; region x 16
        lsr a
        lsr a
        lsr a
        lsr a
        sta tmp
        iny
        lda (ptr),y             ; 2 KB page within the region
        clc
        adc tileBase
        sta nextE1k
        lda tmp
        adc tileBase+1
        sta nextE1k+1
        iny
        lda #CHR_INVERTED | MMC3_PRG_8000
        sta MMC3_SELECT
        lda (ptr),y             ; 8 KB bank of the name table
        sta MMC3_DATA
        clc
        adc #1
        ldx #CHR_INVERTED | MMC3_PRG_A000
        stx MMC3_SELECT
        sta MMC3_DATA
        iny
        lda (ptr),y
        sta pntPtr
        iny
        lda (ptr),y
        sta pntPtr+1
        lda #0                  ; palette: 32 bytes a frame
        sta palPtr+1
        lda next
        ldx #5
@times32:
        asl a
        rol palPtr+1
        dex
        bne @times32
        clc
        adc #<palettes
        sta palPtr
        lda palPtr+1
        adc #>palettes
        sta palPtr+1
        lda #0
        sta chunk
        rts

; Copies the next CHUNK bytes of the prepared name table into the hidden one.
copyChunk:
        bit PPU_STATUS
        lda chunk               ; video address: table + chunk x CHUNK
        tax
        lda chunkHigh,x
        ldy hidden
        beq @first
        ora #>$0400
@first:
        sta PPU_ADDR
        lda chunkLow,x
        sta PPU_ADDR
        ldy #0
@copy:
        lda (pntPtr),y
        sta PPU_DATA
        iny
        cpy #CHUNK
        bne @copy
        lda pntPtr
        clc
        adc #CHUNK
        sta pntPtr
        bcc @done
        inc pntPtr+1
@done:
        inc chunk
        rts

chunkLow:
.repeat CHUNKS, n
        .byte <(NAME_TABLE_0 + n * CHUNK)
.endrepeat
chunkHigh:
.repeat CHUNKS, n
        .byte >(NAME_TABLE_0 + n * CHUNK)
.endrepeat

; The switch to the prepared frame: its tiles, its palette and its name table.
show:
        lda nextE1k
        sta e1k
        lda nextE1k+1
        sta e1k+1
        jsr useUndoubled
        lda e1k
        ldy #CHR_INVERTED | MMC3_CHR_1000
        ldx #4
@pages:
        sty MMC3_SELECT
        sta MMC3_DATA
        clc
        adc #1
        iny
        dex
        bne @pages
        ; Colour 4 q + s of palette 0 is pen 32 q + s: four runs of four pens, low bytes
        ; at PALETTE and high bytes at PALETTE_HIGH.
        ldy #0
@run:
        tya
        asl a
        asl a
        asl a                   ; 32 q for q = y / 4
        sta tmp
        bit PPU_STATUS
        lda #>PALETTE
        sta PPU_ADDR
        lda tmp
        sta PPU_ADDR
        ldx #4
@low:
        lda (palPtr),y
        sta PPU_DATA
        iny
        dex
        bne @low
        lda #>PALETTE_HIGH
        sta PPU_ADDR
        lda tmp
        ora #<PALETTE_HIGH
        sta PPU_ADDR
        tya
        pha
        clc
        adc #12                 ; the high bytes are the frame's second 16
        tay
        ldx #4
@high:
        lda (palPtr),y
        sta PPU_DATA
        iny
        dex
        bne @high
        pla
        tay
        cpy #16
        bne @run
        lda next
        sta shown
        lda hidden
        eor #1
        sta hidden
        rts

nmi:
        pushRegisters
        lda chunk
        cmp #CHUNKS
        bcc @copy
        lda paused
        bne @finish
        dec timer
        bne @finish
        jsr show
        lda #RATE
        sta timer
        ldx next
        inx
        cpx #FRAME_COUNT
        bcc @next
        ldx #0
@next:
        stx next
        jsr prepare
        jmp @finish
@copy:
        jsr copyChunk
@finish:
        bit PPU_STATUS
        lda #0
        sta PPU_SCROLL
        sta PPU_SCROLL
        lda hidden              ; the other name table is on the screen
        eor #1
        ora #CTRL_SHOWING
        sta PPU_CTRL
        lda #MASK_SHOWING
        sta PPU_MASK
        inc frameCount
        pullRegisters
irq:
        rti

.include "tile_base.s"

; The animation as Tilvex wrote it.
frames:
.include "ANI.asm"
framesEnd:
FRAME_COUNT = (framesEnd - frames) / 2
.assert FRAME_COUNT > 0 && FRAME_COUNT < 256, error, "the player takes 1 to 255 frames"
.assert FIRST_FRAME < FRAME_COUNT, error, "the first frame is past the last"
.include "ANIINDEX.asm"
palettes:
.include "ANIPAL.asm"

.segment "PNT"
.include "ANIPNT00.asm"

.segment "VECTORS"
        .word nmi, reset, irq
