; Example menu program for a Romvane cartridge.
;
; Lists the titles of the game table (Gamedef.inc, written by the builder) and starts the
; one the cursor is on: Up and Down move the cursor, Left and Right turn a page of the
; list, a held direction repeats, Start or A starts the game. Titles are GBK text; the
; font holds ASCII only, so every other character shows as a box.
;
; Whatever reserve the build chose, the menu's last 32 KB (or all of a smaller reserve)
; end at the top of the first 512 KB page, so the CPU sees them through the same banks:
; 0x3C and 0x3D at $8000 and $A000, mapped by the reset code, and the last two at
; $C000-$FFFF, where the chip puts them at power-on. menu.cfg follows the reserve.

.include "vt03.inc"

VISIBLE_ROWS = 24           ; list rows on screen: one page
FIRST_ROW    = 3            ; screen row of the first list row
TITLE_COLUMN = 4
TITLE_WIDTH  = 26
CURSOR_COLUMN = 2
CURSOR_TILE  = '>'
NO_GLYPH     = $7F          ; the box shown for characters the font lacks
MAX_GAMES    = 512          ; the builder's limit
TABLE_BANK_8000 = $3C       ; 8 KB banks of the game table, below the fixed $C000-$FFFF
TABLE_BANK_A000 = $3D
; 1 KB page of the font in the ROM: $E000 is the last 8 KB bank of the first 512 KB.
FONT_PAGE    = ($80000 - $2000) / $400
REPEAT_DELAY = 18           ; frames a direction is held before it repeats
REPEAT_RATE  = 4            ; frames between repeats
PAD_MOVES    = PAD_UP | PAD_DOWN | PAD_LEFT | PAD_RIGHT

.assert <MAX_GAMES = 0, error, "count_games stops at a whole multiple of 256"

.segment "ZEROPAGE"
game_ptr:   .res 2          ; descriptor of the chosen game, for GameSub
launch_vec: .res 2          ; its start routine
ptr:        .res 2
game_count: .res 2
cursor:     .res 2          ; selected game, from 0
top:        .res 2          ; game shown on the first list row: a whole page
old_cursor: .res 2
old_top:    .res 2
next_top:   .res 2
row_game:   .res 2
pad:        .res 1
pad_prev:   .res 1
pressed:    .res 1          ; buttons that went down this frame
moves:      .res 1          ; directions to act on this frame: pressed or repeating
repeat_in:  .res 1          ; frames until a held direction acts again
frames:     .res 1          ; counted by the NMI
temp:       .res 1

.segment "GAMES"
.include "Gamedef.inc"

; The font: 128 tiles of 16 bytes, each glyph in the low bit plane (colour 1), at its
; ASCII code; $7F is the box for characters without a glyph.
.segment "FONT"
font:
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $00
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $01
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $02
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $03
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $04
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $05
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $06
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $07
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $08
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $09
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $0A
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $0B
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $0C
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $0D
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $0E
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $0F
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $10
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $11
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $12
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $13
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $14
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $15
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $16
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $17
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $18
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $19
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $1A
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $1B
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $1C
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $1D
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $1E
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $1F
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $20  
    .byte $00,$20,$20,$20,$20,$20,$00,$20, 0,0,0,0,0,0,0,0  ; $21 !
    .byte $00,$50,$50,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $22 "
    .byte $00,$28,$28,$FC,$50,$F8,$50,$F0, 0,0,0,0,0,0,0,0  ; $23 #
    .byte $00,$20,$70,$60,$70,$38,$38,$70, 0,0,0,0,0,0,0,0  ; $24 $
    .byte $00,$E0,$A0,$E8,$20,$58,$38,$18, 0,0,0,0,0,0,0,0  ; $25 %
    .byte $00,$70,$40,$60,$60,$F8,$D8,$78, 0,0,0,0,0,0,0,0  ; $26 &
    .byte $00,$20,$20,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $27 '
    .byte $10,$20,$20,$20,$20,$20,$20,$10, 0,0,0,0,0,0,0,0  ; $28 (
    .byte $60,$20,$30,$30,$30,$30,$20,$60, 0,0,0,0,0,0,0,0  ; $29 )
    .byte $00,$20,$78,$78,$20,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $2A *
    .byte $00,$00,$00,$20,$20,$F8,$20,$20, 0,0,0,0,0,0,0,0  ; $2B +
    .byte $00,$00,$00,$00,$00,$00,$30,$20, 0,0,0,0,0,0,0,0  ; $2C ,
    .byte $00,$00,$00,$00,$00,$70,$00,$00, 0,0,0,0,0,0,0,0  ; $2D -
    .byte $00,$00,$00,$00,$00,$00,$30,$30, 0,0,0,0,0,0,0,0  ; $2E .
    .byte $00,$08,$10,$10,$20,$20,$40,$40, 0,0,0,0,0,0,0,0  ; $2F /
    .byte $00,$70,$58,$58,$F8,$58,$58,$70, 0,0,0,0,0,0,0,0  ; $30 0
    .byte $00,$70,$30,$30,$30,$30,$30,$78, 0,0,0,0,0,0,0,0  ; $31 1
    .byte $00,$70,$18,$18,$10,$20,$40,$F8, 0,0,0,0,0,0,0,0  ; $32 2
    .byte $00,$70,$18,$18,$30,$18,$18,$F0, 0,0,0,0,0,0,0,0  ; $33 3
    .byte $00,$30,$30,$50,$50,$F8,$10,$10, 0,0,0,0,0,0,0,0  ; $34 4
    .byte $00,$78,$40,$40,$70,$18,$18,$70, 0,0,0,0,0,0,0,0  ; $35 5
    .byte $00,$38,$40,$40,$F0,$58,$58,$70, 0,0,0,0,0,0,0,0  ; $36 6
    .byte $00,$F8,$18,$10,$30,$30,$20,$60, 0,0,0,0,0,0,0,0  ; $37 7
    .byte $00,$70,$58,$58,$70,$58,$58,$70, 0,0,0,0,0,0,0,0  ; $38 8
    .byte $00,$70,$D8,$D8,$78,$18,$18,$70, 0,0,0,0,0,0,0,0  ; $39 9
    .byte $00,$00,$00,$30,$30,$00,$30,$30, 0,0,0,0,0,0,0,0  ; $3A :
    .byte $00,$00,$00,$30,$30,$00,$30,$20, 0,0,0,0,0,0,0,0  ; $3B ;
    .byte $00,$00,$00,$08,$70,$C0,$70,$08, 0,0,0,0,0,0,0,0  ; $3C <
    .byte $00,$00,$00,$00,$F8,$00,$F8,$00, 0,0,0,0,0,0,0,0  ; $3D =
    .byte $00,$00,$00,$C0,$70,$18,$70,$C0, 0,0,0,0,0,0,0,0  ; $3E >
    .byte $00,$70,$58,$18,$30,$20,$00,$20, 0,0,0,0,0,0,0,0  ; $3F ?
    .byte $00,$00,$70,$48,$B8,$A8,$A8,$B8, 0,0,0,0,0,0,0,0  ; $40 @
    .byte $00,$30,$70,$70,$50,$78,$C8,$C8, 0,0,0,0,0,0,0,0  ; $41 A
    .byte $00,$F0,$D8,$D8,$F0,$D8,$C8,$F8, 0,0,0,0,0,0,0,0  ; $42 B
    .byte $00,$30,$68,$40,$40,$40,$68,$30, 0,0,0,0,0,0,0,0  ; $43 C
    .byte $00,$70,$58,$58,$48,$58,$58,$70, 0,0,0,0,0,0,0,0  ; $44 D
    .byte $00,$78,$40,$40,$78,$40,$40,$78, 0,0,0,0,0,0,0,0  ; $45 E
    .byte $00,$78,$40,$40,$78,$40,$40,$40, 0,0,0,0,0,0,0,0  ; $46 F
    .byte $00,$30,$68,$40,$C0,$58,$68,$38, 0,0,0,0,0,0,0,0  ; $47 G
    .byte $00,$58,$58,$58,$78,$58,$58,$58, 0,0,0,0,0,0,0,0  ; $48 H
    .byte $00,$78,$20,$20,$20,$20,$20,$78, 0,0,0,0,0,0,0,0  ; $49 I
    .byte $00,$78,$18,$18,$18,$18,$10,$70, 0,0,0,0,0,0,0,0  ; $4A J
    .byte $00,$D8,$D0,$F0,$F0,$D0,$D8,$C8, 0,0,0,0,0,0,0,0  ; $4B K
    .byte $00,$40,$40,$40,$40,$40,$40,$78, 0,0,0,0,0,0,0,0  ; $4C L
    .byte $00,$D8,$D8,$F8,$F8,$F8,$C8,$C8, 0,0,0,0,0,0,0,0  ; $4D M
    .byte $00,$C8,$E8,$E8,$F8,$F8,$D8,$D8, 0,0,0,0,0,0,0,0  ; $4E N
    .byte $00,$70,$58,$C8,$C8,$C8,$58,$70, 0,0,0,0,0,0,0,0  ; $4F O
    .byte $00,$70,$58,$58,$70,$40,$40,$40, 0,0,0,0,0,0,0,0  ; $50 P
    .byte $00,$70,$58,$C8,$C8,$C8,$58,$70, 0,0,0,0,0,0,0,0  ; $51 Q
    .byte $00,$F0,$D8,$D8,$F0,$D0,$D8,$C8, 0,0,0,0,0,0,0,0  ; $52 R
    .byte $00,$70,$48,$40,$70,$18,$18,$70, 0,0,0,0,0,0,0,0  ; $53 S
    .byte $00,$F8,$20,$20,$20,$20,$20,$20, 0,0,0,0,0,0,0,0  ; $54 T
    .byte $00,$C8,$C8,$C8,$C8,$C8,$58,$70, 0,0,0,0,0,0,0,0  ; $55 U
    .byte $00,$C8,$D8,$58,$50,$70,$70,$30, 0,0,0,0,0,0,0,0  ; $56 V
    .byte $00,$88,$88,$A8,$F8,$F8,$58,$58, 0,0,0,0,0,0,0,0  ; $57 W
    .byte $00,$C8,$58,$70,$30,$70,$58,$C8, 0,0,0,0,0,0,0,0  ; $58 X
    .byte $00,$C8,$58,$70,$30,$20,$20,$20, 0,0,0,0,0,0,0,0  ; $59 Y
    .byte $00,$78,$18,$30,$30,$60,$40,$F8, 0,0,0,0,0,0,0,0  ; $5A Z
    .byte $30,$20,$20,$20,$20,$20,$20,$30, 0,0,0,0,0,0,0,0  ; $5B [
    .byte $00,$40,$40,$20,$20,$10,$10,$08, 0,0,0,0,0,0,0,0  ; $5C \\
    .byte $70,$30,$30,$30,$30,$30,$30,$70, 0,0,0,0,0,0,0,0  ; $5D ]
    .byte $00,$30,$58,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $5E ^
    .byte $00,$00,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $5F _
    .byte $60,$20,$00,$00,$00,$00,$00,$00, 0,0,0,0,0,0,0,0  ; $60 `
    .byte $00,$00,$00,$70,$18,$78,$D8,$78, 0,0,0,0,0,0,0,0  ; $61 a
    .byte $40,$40,$40,$70,$58,$48,$58,$70, 0,0,0,0,0,0,0,0  ; $62 b
    .byte $00,$00,$00,$38,$60,$40,$60,$38, 0,0,0,0,0,0,0,0  ; $63 c
    .byte $18,$18,$18,$78,$D8,$D8,$D8,$78, 0,0,0,0,0,0,0,0  ; $64 d
    .byte $00,$00,$00,$70,$58,$F8,$C0,$78, 0,0,0,0,0,0,0,0  ; $65 e
    .byte $38,$20,$20,$78,$20,$20,$20,$20, 0,0,0,0,0,0,0,0  ; $66 f
    .byte $00,$78,$D8,$D8,$D8,$78,$18,$70, 0,0,0,0,0,0,0,0  ; $67 g
    .byte $40,$40,$40,$70,$58,$58,$58,$58, 0,0,0,0,0,0,0,0  ; $68 h
    .byte $30,$30,$00,$70,$30,$30,$30,$78, 0,0,0,0,0,0,0,0  ; $69 i
    .byte $30,$00,$70,$30,$30,$30,$30,$30, 0,0,0,0,0,0,0,0  ; $6A j
    .byte $40,$40,$40,$58,$70,$70,$50,$58, 0,0,0,0,0,0,0,0  ; $6B k
    .byte $E0,$20,$20,$20,$20,$20,$20,$38, 0,0,0,0,0,0,0,0  ; $6C l
    .byte $00,$00,$00,$F8,$E8,$E8,$E8,$E8, 0,0,0,0,0,0,0,0  ; $6D m
    .byte $00,$00,$00,$70,$58,$58,$58,$58, 0,0,0,0,0,0,0,0  ; $6E n
    .byte $00,$00,$00,$70,$58,$C8,$58,$70, 0,0,0,0,0,0,0,0  ; $6F o
    .byte $00,$70,$58,$48,$58,$70,$40,$40, 0,0,0,0,0,0,0,0  ; $70 p
    .byte $00,$78,$D8,$D8,$D8,$78,$18,$18, 0,0,0,0,0,0,0,0  ; $71 q
    .byte $00,$00,$00,$78,$60,$60,$60,$60, 0,0,0,0,0,0,0,0  ; $72 r
    .byte $00,$00,$00,$70,$60,$70,$18,$70, 0,0,0,0,0,0,0,0  ; $73 s
    .byte $00,$00,$20,$F8,$20,$20,$20,$38, 0,0,0,0,0,0,0,0  ; $74 t
    .byte $00,$00,$00,$58,$58,$58,$58,$78, 0,0,0,0,0,0,0,0  ; $75 u
    .byte $00,$00,$00,$C8,$58,$50,$70,$30, 0,0,0,0,0,0,0,0  ; $76 v
    .byte $00,$00,$00,$88,$A8,$F8,$78,$58, 0,0,0,0,0,0,0,0  ; $77 w
    .byte $00,$00,$00,$58,$70,$30,$70,$D8, 0,0,0,0,0,0,0,0  ; $78 x
    .byte $00,$C8,$58,$70,$70,$30,$20,$E0, 0,0,0,0,0,0,0,0  ; $79 y
    .byte $00,$00,$00,$78,$10,$30,$60,$78, 0,0,0,0,0,0,0,0  ; $7A z
    .byte $38,$30,$20,$20,$60,$20,$30,$38, 0,0,0,0,0,0,0,0  ; $7B {
    .byte $20,$20,$20,$20,$20,$20,$20,$20, 0,0,0,0,0,0,0,0  ; $7C |
    .byte $60,$20,$20,$30,$38,$30,$20,$60, 0,0,0,0,0,0,0,0  ; $7D }
    .byte $00,$00,$00,$00,$68,$18,$00,$00, 0,0,0,0,0,0,0,0  ; $7E ~
    .byte $00,$7E,$42,$42,$42,$42,$7E,$00, 0,0,0,0,0,0,0,0  ; $7F box

.segment "CODE"

reset:
    sei
    cld
    ldx #$40
    stx APU_FRAME
    ldx #$FF
    txs
    inx
    stx PPU_CTRL
    stx PPU_MASK
    stx APU_DMC
    ; A 512 KB window on the first page; the game table's banks at $8000 and $A000.
    stx VT_OUTER_BANK
    stx VT_PRG_BASE
    stx VT_PRG_MODE
    lda #TABLE_BANK_8000
    sta VT_PRG_8000
    lda #TABLE_BANK_A000
    sta VT_PRG_A000
    jsr wait_vblank
    ; Clear the RAM while the picture processor warms up.
    txa
@clear:
    sta $0000,x
    sta $0200,x
    sta $0300,x
    sta $0400,x
    sta $0500,x
    sta $0600,x
    sta $0700,x
    inx
    bne @clear
    jsr wait_vblank
    jsr map_font
    jsr count_games
    jsr load_palette
    jsr draw_screen
    jsr show

main_loop:
    jsr wait_frame
    jsr read_pad
    lda game_count
    ora game_count+1
    beq main_loop           ; an empty cartridge has nothing to choose or start
    lda pressed
    and #PAD_START | PAD_A
    beq @move
    ; The game starts once the pad is let go: one that waits for a button (cc65's
    ; programs, title screens) must not take the press that chose it.
@release:
    jsr wait_frame
    jsr read_pad
    lda pad
    bne @release
    jmp start_game
@move:
    lda cursor
    sta old_cursor
    lda cursor+1
    sta old_cursor+1
    lda moves
    and #PAD_DOWN
    beq @up
    lda #1
    jsr forward
@up:
    lda moves
    and #PAD_UP
    beq @right
    lda #1
    jsr back
@right:
    lda moves
    and #PAD_RIGHT
    beq @left
    lda #VISIBLE_ROWS
    jsr forward
@left:
    lda moves
    and #PAD_LEFT
    beq @moved
    lda #VISIBLE_ROWS
    jsr back
@moved:
    lda cursor
    cmp old_cursor
    bne @follow
    lda cursor+1
    cmp old_cursor+1
    beq main_loop
@follow:
    jsr follow_cursor
    jmp main_loop

; cursor += A, at most the last game.
forward:
    clc
    adc cursor
    sta cursor
    bcc @clamp
    inc cursor+1
@clamp:
    lda cursor
    cmp game_count
    lda cursor+1
    sbc game_count+1
    bcc @done
    lda game_count
    sec
    sbc #1
    sta cursor
    lda game_count+1
    sbc #0
    sta cursor+1
@done:
    rts

; cursor -= A, at least the first game.
back:
    sta temp
    lda cursor
    sec
    sbc temp
    sta cursor
    bcs @done
    dec cursor+1
    bpl @done
    lda #0
    sta cursor
    sta cursor+1
@done:
    rts

; Keeps the cursor on screen: the list shows whole pages, and a cursor that leaves the
; shown page brings its own page, drawn with the picture off; otherwise only the two
; cursor cells change.
follow_cursor:
    lda top
    sta old_top
    lda top+1
    sta old_top+1
@before:
    lda cursor
    cmp top
    lda cursor+1
    sbc top+1
    bcs @after
    lda top
    sec
    sbc #VISIBLE_ROWS
    sta top
    bcs @before
    dec top+1
    jmp @before
@after:
    lda top
    clc
    adc #VISIBLE_ROWS
    sta next_top
    lda top+1
    adc #0
    sta next_top+1
    lda cursor
    cmp next_top
    lda cursor+1
    sbc next_top+1
    bcc @placed
    lda next_top
    sta top
    lda next_top+1
    sta top+1
    jmp @after
@placed:
    lda top
    cmp old_top
    bne @page
    lda top+1
    cmp old_top+1
    bne @page
    lda old_cursor
    sec
    sbc top
    ldx #' '
    jsr put_cursor
    lda cursor
    sec
    sbc top
    ldx #CURSOR_TILE
    jsr put_cursor
    jmp scroll_home
@page:
    lda #0
    sta PPU_MASK
    jsr draw_list
    jmp show

; Writes tile X into the cursor cell of list row A.
put_cursor:
    jsr row_address
    lda ptr+1
    sta PPU_ADDR
    lda ptr
    clc
    adc #CURSOR_COLUMN
    sta PPU_ADDR
    stx PPU_DATA
    rts

; ptr = name table address of list row A.
row_address:
    clc
    adc #FIRST_ROW
    sta ptr
    lda #0
    sta ptr+1
    ldy #5
@shift:
    asl ptr
    rol ptr+1
    dey
    bne @shift
    lda ptr+1
    ora #$20
    sta ptr+1
    rts

; Points the background's tile pages at the font inside the menu. The chip takes the
; pages at their own registers; some emulators only through the MMC3 interface.
map_font:
    lda #((FONT_PAGE >> 8) << 4) & $70
    sta VT_CHR_HIGH
    lda #0
    sta VT_CHR_BANK_SIZE
    sta MMC3_SELECT
    lda #<FONT_PAGE
    sta VT_CHR_0000
    sta MMC3_DATA
    rts

; The table ends with a zero word; the menu shows at most MAX_GAMES games.
count_games:
    lda #0
    sta game_count
    sta game_count+1
@next:
    lda game_count
    ldx game_count+1
    jsr entry_pointer
    ldy #0
    lda (ptr),y
    iny
    ora (ptr),y
    beq @done
    inc game_count
    bne @next
    inc game_count+1
    lda game_count+1
    cmp #>MAX_GAMES
    bcc @next
@done:
    rts

; ptr = the address of entry X:A (high:low) of the game table.
entry_pointer:
    stx ptr+1
    asl a
    rol ptr+1
    clc
    adc #<_GamesDefine
    sta ptr
    lda ptr+1
    adc #>_GamesDefine
    sta ptr+1
    rts

; game_ptr = the descriptor of game X:A.
descriptor_pointer:
    jsr entry_pointer
    ldy #0
    lda (ptr),y
    sta game_ptr
    iny
    lda (ptr),y
    sta game_ptr+1
    rts

load_palette:
    bit PPU_STATUS
    lda #$3F
    sta PPU_ADDR
    lda #$00
    sta PPU_ADDR
    ldx #0
@copy:
    lda palette,x
    sta PPU_DATA
    inx
    cpx #palette_end - palette
    bne @copy
    rts

palette:
    .byte $0F, $30, $21, $16
palette_end:

; The heading and the list on a cleared name table; the picture is off.
draw_screen:
    bit PPU_STATUS
    lda #$20
    sta PPU_ADDR
    lda #$00
    sta PPU_ADDR
    tax
    ldy #4                  ; 1 KB: tiles and attributes
@clear:
    sta PPU_DATA
    inx
    bne @clear
    dey
    bne @clear
    lda #$20
    sta PPU_ADDR
    lda #$20 + TITLE_COLUMN
    sta PPU_ADDR
    ldx #0
@heading:
    lda heading,x
    beq draw_list
    sta PPU_DATA
    inx
    bne @heading

heading:
    .byte "GAMES", 0

; Redraws every list row; the picture is off.
draw_list:
    lda #0
    sta temp
@row:
    lda temp
    jsr draw_row
    inc temp
    lda temp
    cmp #VISIBLE_ROWS
    bne @row
    rts

; Draws list row A: cursor cell and title of game top + A, or blanks past the end.
draw_row:
    pha
    jsr row_address
    bit PPU_STATUS
    lda ptr+1
    sta PPU_ADDR
    lda ptr
    sta PPU_ADDR
    pla
    clc
    adc top
    sta row_game
    lda top+1
    adc #0
    sta row_game+1
    ldx #TITLE_COLUMN
    lda #' '
@lead:
    sta PPU_DATA
    dex
    bne @lead
    lda row_game
    cmp game_count
    lda row_game+1
    sbc game_count+1
    bcs @blank
    lda row_game
    cmp cursor
    bne @title
    lda row_game+1
    cmp cursor+1
    bne @title
    ; The cursor cell is the third of the leading blanks.
    lda ptr+1
    sta PPU_ADDR
    lda ptr
    ora #CURSOR_COLUMN
    sta PPU_ADDR
    lda #CURSOR_TILE
    sta PPU_DATA
    lda #' '
    sta PPU_DATA
@title:
    jsr title_pointer
    ldx #TITLE_WIDTH
    ldy #0
@char:
    lda (ptr),y
    beq @pad
    iny
    cmp #$80
    bcc @ascii
    ; A GBK character: lead byte and, unless the text ends, its trail byte.
    lda (ptr),y
    beq @box
    iny
@box:
    lda #NO_GLYPH
    bne @put
@ascii:
    cmp #' '
    bcs @put
    lda #' '
@put:
    sta PPU_DATA
    dex
    bne @char
    rts
@blank:
    ldx #TITLE_WIDTH
@pad:
    lda #' '
@fill:
    sta PPU_DATA
    dex
    bne @fill
    rts

; ptr = the title of game row_game: it follows the descriptor's six bytes and the
; start routine's address.
title_pointer:
    lda row_game
    ldx row_game+1
    jsr descriptor_pointer
    lda game_ptr
    clc
    adc #8
    sta ptr
    lda game_ptr+1
    adc #0
    sta ptr+1
    rts

; Turns the picture on at the next vertical blank.
show:
    jsr wait_vblank
    jsr scroll_home
    lda #%00001010          ; background, left column included
    sta PPU_MASK
    rts

scroll_home:
    lda #%10000000          ; NMI on, name table $2000, tiles at $0000
    sta PPU_CTRL
    lda #0
    sta PPU_SCROLL
    sta PPU_SCROLL
    rts

start_game:
    lda cursor
    ldx cursor+1
    jsr descriptor_pointer
    ; The start routine's address follows the six descriptor bytes.
    ldy #6
    lda (game_ptr),y
    sta launch_vec
    iny
    lda (game_ptr),y
    sta launch_vec+1
    jmp (launch_vec)        ; GameSub, with game_ptr naming the game

wait_vblank:
    bit PPU_STATUS
@wait:
    bit PPU_STATUS
    bpl @wait
    rts

; Waits for the next NMI.
wait_frame:
    lda frames
@wait:
    cmp frames
    beq @wait
    rts

; pressed = the buttons that went down since the last read; moves = the directions to
; act on: a fresh press at once, a held one after REPEAT_DELAY frames and then every
; REPEAT_RATE frames.
read_pad:
    lda pad
    sta pad_prev
    lda #1
    sta PAD_1
    lda #0
    sta PAD_1
    ldx #8
@bit:
    lda PAD_1
    lsr a
    rol pad
    dex
    bne @bit
    lda pad_prev
    eor #$FF
    and pad
    sta pressed
    and #PAD_MOVES
    beq @held
    sta moves
    lda #REPEAT_DELAY
    sta repeat_in
    rts
@held:
    sta moves
    lda pad
    and #PAD_MOVES
    beq @done
    dec repeat_in
    bne @done
    lda #REPEAT_RATE
    sta repeat_in
    lda pad
    and #PAD_MOVES
    sta moves
@done:
    rts

nmi:
    inc frames
irq:
    rti

.segment "VECTORS"
    .word nmi, reset, irq
