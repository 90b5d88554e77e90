; The name and attribute tables of an item, from its top left; tile 0 and palette 0 past
; its right and lower edges. Tilvex writes one name-table entry a block, a row of blocks at
; a time, and the attributes a row of four by four blocks at a time (at least one a row).
; The screen has an entry per 8 x 8 tile and a palette per 16 x 16 quadrant: the blocks are
; spread over their tiles here.

SCREEN_TILES_X  = 32
SCREEN_TILES_Y  = 30

; A block's tiles lie left to right, then top to bottom, from its entry's tile; the entries
; of blocks 16 pixels wide count pairs of tiles. Tile (r, c) of a block with entry e is
; ((e + r) << shiftW) + c, r and c being 0 or 1.
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
        sta count               ; tile columns on the screen
        lda #0
        sta row
@row:
        ldx #0
        lda row
        cmp height
        bcs @pad
        and shiftH              ; the tile row within the block
        sta tmp
@tile:
        cpx count
        beq @advance
        txa
        ldy shiftW
        beq @entry
        lsr a
@entry:
        tay
        lda (ptr),y
        clc
        adc tmp
        ldy shiftW
        beq @put
        asl a
        sta value
        txa
        and #1
        ora value
@put:
        sta PPU_DATA
        inx
        bne @tile
@advance:
        lda tmp                 ; after a block's last tile row, its next row of entries
        cmp shiftH
        bne @pad
        lda ptr
        clc
        adc cellsW
        sta ptr
        bcc @pad
        inc ptr+1
@pad:
        cpx #SCREEN_TILES_X
        beq @next
        lda #0
        sta PPU_DATA
        inx
        bne @pad
@next:
        inc row
        lda row
        cmp #SCREEN_TILES_Y
        bne @row
        rts

; A byte of the item's attributes holds the palettes of the blocks at (r, c), (r, c + 2),
; (r + 2, c) and (r + 2, c + 2), r and c multiples of 4: the block of a quadrant takes the
; palette given for it with its row and column rounded down to even.
drawAttributes:
        lda cellsW              ; bytes a row in the table: cellsW / 4, at least one
        lsr a
        lsr a
        bne @stride
        lda #1
@stride:
        sta stride
        ldx #63
        lda #0
@clear:
        sta attributes,x
        dex
        bpl @clear
        sta row                 ; tile row of the quadrant
@quadrantRow:
        lda row
        cmp height
        bcc @inside
        jmp @write              ; below the picture: palette 0
@inside:
        ldx shiftH
        beq @blockRow
        lsr a
@blockRow:
        sta cellRow
        lsr a
        lsr a
        tax                     ; the table's row
        lda attrPtr
        sta ptr
        lda attrPtr+1
        sta ptr+1
@find:
        dex
        bmi @found
        lda ptr
        clc
        adc stride
        sta ptr
        bcc @find
        inc ptr+1
        bcs @find
@found:
        lda #0
        sta column
@quadrant:
        lda column
        cmp width
        bcs @nextRow            ; right of the picture: palette 0
        ldx shiftW
        beq @blockColumn
        lsr a
@blockColumn:
        sta tmp
        lsr a
        lsr a
        cmp stride
        bcs @nextRow            ; past the table's row: palette 0
        tay
        lda (ptr),y
        sta value
        lda cellRow
        and #2
        beq @upper
        lsr value
        lsr value
        lsr value
        lsr value
@upper:
        lda tmp
        and #2
        beq @leftBlock
        lsr value
        lsr value
@leftBlock:
        lda value
        and #3
        sta value
        lda row
        and #2
        beq @top
        asl value
        asl value
        asl value
        asl value
@top:
        lda column
        and #2
        beq @left
        asl value
        asl value
@left:
        lda row                 ; attributes: 8 bytes a row of 32 x 32 squares
        and #$1C
        asl a
        sta tmp
        lda column
        lsr a
        lsr a
        ora tmp
        tax
        lda attributes,x
        ora value
        sta attributes,x
        lda column
        clc
        adc #2
        sta column
        cmp #SCREEN_TILES_X
        bcc @quadrant
@nextRow:
        lda row
        clc
        adc #2
        sta row
        cmp #SCREEN_TILES_Y
        bcs @write
        jmp @quadrantRow
@write:
        setVideoAddress ATTRIBUTE_TABLE_0
        ldx #0
@copy:
        lda attributes,x
        sta PPU_DATA
        inx
        cpx #64
        bne @copy
        rts
