; The name and attribute tables of an item, from its top left; tile 0 and palette 0 past
; its right and lower edges. Tilvex writes the name table a row of cells at a time and the
; attributes a row of 32 x 32 squares at a time (at least one a row).

SCREEN_TILES_X  = 32
SCREEN_TILES_Y  = 30
SCREEN_SQUARES_X = 8
SCREEN_SQUARES_Y = 8

; Writes screenRows rows of `columns` bytes from ptr: `count` bytes of each of the
; table's `rows` rows (`stride` apart), zeros past them.
.macro copyTable rows, stride, columns, screenRows
        .local eachRow, copy, advance, pad, next
        lda #0
        sta row
eachRow:
        ldy #0
        lda row
        cmp rows
        bcs pad
copy:
        cpy count
        beq advance
        lda (ptr),y
        sta PPU_DATA
        iny
        bne copy
advance:
        lda ptr
        clc
        adc stride
        sta ptr
        bcc pad
        inc ptr+1
pad:
        cpy #columns
        beq next
        lda #0
        sta PPU_DATA
        iny
        bne pad
next:
        inc row
        lda row
        cmp #screenRows
        bne eachRow
.endmacro

drawNames:
        setVideoAddress NAME_TABLE_0
        lda pntPtr
        sta ptr
        lda pntPtr+1
        sta ptr+1
        lda width
        cmp #SCREEN_TILES_X
        bcc @run
        lda #SCREEN_TILES_X
@run:
        sta count
        copyTable height, width, SCREEN_TILES_X, SCREEN_TILES_Y
        rts

drawAttributes:
        lda width               ; squares a row in the table: width / 4, at least one
        lsr a
        lsr a
        bne @stride
        lda #1
@stride:
        sta tmp
        cmp #SCREEN_SQUARES_X
        bcc @run
        lda #SCREEN_SQUARES_X
@run:
        sta count
        lda height              ; rows of squares: (height + 3) / 4
        clc
        adc #3
        ror a
        lsr a
        sta boundary            ; (free here)
        setVideoAddress ATTRIBUTE_TABLE_0
        lda attrPtr
        sta ptr
        lda attrPtr+1
        sta ptr+1
        copyTable boundary, tmp, SCREEN_SQUARES_X, SCREEN_SQUARES_Y
        rts
