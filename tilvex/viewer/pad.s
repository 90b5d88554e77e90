; The pad and the scroll position.

readPad:
        readPad1 pad
        rts

; Moves the scroll position by the pad: at once on a new press, then repeating while held.
; Carry set when the position changed.
scrollByPad:
        lda pad
        and #(PAD_UP | PAD_DOWN | PAD_LEFT | PAD_RIGHT)
        sta tmp
        lda padPrev
        eor #$FF
        and tmp
        bne @press
        lda tmp
        beq @idle
        dec repeatDelay
        bne @idle
        lda #REPEAT_NEXT
        bne @move
@press:
        lda #REPEAT_FIRST
@move:
        sta repeatDelay
        lda tmp
        sta padPrev
        lda #0
        sta runLength           ; used as the "moved" mark
        lda tmp
        and #PAD_UP
        beq @down
        lda scrollY
        beq @down
        dec scrollY
        inc runLength
@down:
        lda tmp
        and #PAD_DOWN
        beq @left
        lda scrollY
        cmp maxScrollY
        bcs @left
        inc scrollY
        inc runLength
@left:
        lda tmp
        and #PAD_LEFT
        beq @right
        lda scrollX
        beq @right
        dec scrollX
        inc runLength
@right:
        lda tmp
        and #PAD_RIGHT
        beq @report
        lda scrollX
        cmp maxScrollX
        bcs @report
        inc scrollX
        inc runLength
@report:
        lda runLength
        cmp #1                  ; carry set when anything moved
        rts
@idle:
        lda tmp
        sta padPrev
        clc
        rts
