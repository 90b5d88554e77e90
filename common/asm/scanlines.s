; Scanline timing for a console program that switches tile banks at rows its scanline
; interrupt does not reach, by counting out scanlines in the handler. The program gives
; a zero-page byte lineLoops, a frameCount its NMI steps, and waitFrame; it calls
; measureFrame once at reset, while its NMI leaves the screen off.

; Scanlines last 113.67 CPU cycles on NTSC consoles and on PAL clones of the Dendy kind,
; 106.56 on PAL ones (16 dots to 5 cycles instead of 3 to 1); their frames last 29781,
; 35464 and 33248 cycles. measureFrame counts one frame in loops of MEASURE_CYCLES and
; picks the scanline wait from it.
MEASURE_CYCLES  = 11
NTSC_PAL_SPLIT  = (29781 + 33248) / 2 / MEASURE_CYCLES
PAL_DENDY_SPLIT = (33248 + 35464) / 2 / MEASURE_CYCLES
LINE_LOOPS_NTSC = 13        ; waitScanline's loops for 113 cycles
LINE_LOOPS_PAL  = 12        ; and for 106

; A timed loop's branch must stay in its page: one that crosses costs a cycle more. The
; loops below sit in aligned blocks of their own so that code added before them cannot
; push them across; the filler is never run, as long as this file is included after a
; routine's last instruction.
.macro branch_in_page target
        .assert >* = >(target), lderror, "a timed loop's branch crosses a page"
.endmacro

; Counts one frame between two NMIs (the screen still off) and sets lineLoops for the
; console's TV system.
.align 32
measureFrame:
        lda #$80                ; NMI on
        sta PPU_CTRL
        jsr waitFrame           ; the NMI may come at once if the vblank flag is up
        jsr waitFrame
        lda frameCount
        ldx #0
        ldy #0
@count:
        inx                     ; 2
        bne @same               ; 3
        branch_in_page @same
        iny
@same:
        cmp frameCount          ; 3
        beq @count              ; 3
        branch_in_page @count
        cpx #<NTSC_PAL_SPLIT
        tya
        sbc #>NTSC_PAL_SPLIT
        bcc @ntsc
        cpx #<PAL_DENDY_SPLIT
        tya
        sbc #>PAL_DENDY_SPLIT
        bcs @ntsc               ; a Dendy's scanlines are as long as NTSC's
        lda #LINE_LOOPS_PAL
        bne @set
@ntsc:
        lda #LINE_LOOPS_NTSC
@set:
        sta lineLoops
        rts

; With the caller's jsr, dey and bne: 113 cycles with LINE_LOOPS_NTSC, one NTSC scanline
; (113.67) less a fraction, so fifteen lines drift by ten cycles; 106 with LINE_LOOPS_PAL,
; eight cycles over fifteen PAL lines (106.56).
.align 8
waitScanline:
        lda lineLoops           ; 3
@loop:
        sec                     ; 7 a loop, 6 the last
        sbc #1
        bne @loop
        branch_in_page @loop
        bit lineLoops           ; 3
        rts
