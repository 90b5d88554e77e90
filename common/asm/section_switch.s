; Tile bank switches at section boundaries: the frame's list of scanline interrupts, the
; NMI that starts a frame and the interrupt that carries the list out. A program that
; includes this (after console.inc) gives:
; - in zero page, declared before the include (the timed code counts zero-page cycles):
;   frameCount, renderOn, lineLoops, inIrq, frameDeferred, evCount, evIndex, prevRow,
;   lastBank, newBank and tmp;
; - the tables evLatch, evWait and evBank, an entry per interrupt;
; - LAST_COUNTED_ROW, CTRL_SHOWING and MASK_SHOWING;
; - the macro switchBanks, which selects the tiles of event X (A and Y free, X kept);
; - topBanks, which selects the top section's tiles (and whatever else the frame starts
;   with) in vertical blank;
; - waitFrame, and a call of measureFrame at reset.

.include "scanlines.s"

; Appends the event "at screen row tmp select bank A" as event Y (Y advances).
; MAME's VT03 counts only the first 224 rows, so a boundary further down is reached from
; an interrupt at row 224 (which selects the bank in force again) by counting out scanlines
; in the handler; the chip itself would count on, and arrives at the same row either way.
addEvent:
        sta newBank
        lda tmp
        cmp #LAST_COUNTED_ROW + 1
        bcc @counted
        lda prevRow
        cmp #LAST_COUNTED_ROW
        bcs @chained
        lda tmp
        pha
        lda #LAST_COUNTED_ROW
        sta tmp
        lda lastBank
        jsr addCounted
        pla
        sta tmp
@chained:
        lda newBank
        sta evBank,y
        sta lastBank
        lda tmp
        sec
        sbc prevRow             ; scanlines to count out after the previous event
        sta evWait,y
        lda tmp
        sta prevRow
        iny
        rts
@counted:
        lda newBank
addCounted:
        sta evBank,y
        sta lastBank
        lda #0
        sta evWait,y
        lda tmp
        clc
        sbc prevRow             ; rows since the last event, less one
        sta evLatch,y
        lda tmp
        sta prevRow
        iny
        rts

; The frame's start: the top section's tiles, the scroll, and the first interrupt.
; A scanline interrupt that still runs when vertical blank begins (a boundary at row 239
; on a console whose scanlines run longer than waitScanline counts) must not have the
; bank or the MMC3 command it is writing changed under it, nor evIndex: the NMI then
; leaves all of this to the interrupt's end.
nmi:
        pha
        lda inIrq
        beq @start
        sta frameDeferred
        inc frameCount
        pla
        rti
@start:
        txa
        pha
        tya
        pha
        jsr startFrame
        inc frameCount
        pullRegisters
        rti

startFrame:
        lda renderOn
        beq @off
        jsr topBanks
        bit PPU_STATUS
        lda #0
        sta PPU_SCROLL
        sta PPU_SCROLL
        lda #CTRL_SHOWING
        sta PPU_CTRL
        lda #MASK_SHOWING
        sta PPU_MASK
        sta MMC3_IRQ_DISABLE
        lda #0
        sta evIndex
        lda evCount
        beq @done
        lda evLatch
        sta MMC3_IRQ_LATCH
        sta MMC3_IRQ_RELOAD
        sta MMC3_IRQ_ENABLE
        rts
@off:
        lda #0
        sta PPU_MASK
        sta MMC3_IRQ_DISABLE
@done:
        rts

; A section boundary: the new tiles for the rows below, then the next boundary. The
; first switch comes straight after the interrupt, at a row the NMI is far from; only
; while rows are counted out can the NMI come, so only then is inIrq set.
irq:
        pushRegisters
        ldx evIndex
@switch:
        switchBanks
        inx
        cpx evCount
        bcs @done
        ldy evWait,x
        bne @count
        sta MMC3_IRQ_DISABLE
        lda evLatch,x
        sta MMC3_IRQ_LATCH
        sta MMC3_IRQ_RELOAD
        sta MMC3_IRQ_ENABLE
        jmp @exit
.align 16                       ; the counting loop in one block (see scanlines.s)
@count:
        lda #1
        sta inIrq
@line:
        jsr waitScanline
        dey
        bne @line
        branch_in_page @line
        lda frameDeferred
        beq @switch
        bne @late               ; vertical blank began: the rest was for a frame now over
@done:
        sta MMC3_IRQ_DISABLE    ; acknowledges: no boundary left in this frame
@exit:
        stx evIndex
        lda #0
        sta inIrq
        lda frameDeferred
        beq @return
@late:
        sta MMC3_IRQ_DISABLE
        lda #0
        sta inIrq
        sta frameDeferred
        jsr startFrame
@return:
        pullRegisters
        rti
